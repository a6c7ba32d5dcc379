// Loudness figures of a whole programme together with their course over time, for the
// mastering search, its reports and plots.
#pragma once

#include "host/LoudnessMeter.h"

#include <cstddef>
#include <vector>

// One value per 100 ms step; the last step may be shorter.
struct LoudnessTrace
{
    static constexpr double kStepSeconds = 0.1;
    std::vector<double> shortTermLufs; // the 3 s window ending with the step; -inf in silence
    std::vector<double> truePeakDbtp;  // within the step
    std::vector<double> meanSquare;    // of both channels' samples within the step
};

class ProgrammeMeter
{
  public:
    ProgrammeMeter(int sampleRateHz, float fullScale);
    ~ProgrammeMeter();
    ProgrammeMeter(const ProgrammeMeter&) = delete;
    ProgrammeMeter& operator=(const ProgrammeMeter&) = delete;

    void add(const float* interleavedStereo, std::size_t frames);
    // Closes the last, possibly partial, step; add nothing after it.
    void finish();

    LoudnessFigures figures() const;
    const LoudnessTrace& trace() const { return steps; }

    // Integrated loudness of the programmes played one after another, gated as one.
    static double albumLoudnessLufs(const std::vector<ProgrammeMeter*>& tracks);

  private:
    void closeStep();

    ebur128_state* state;
    std::size_t framesPerStep;
    std::size_t framesInStep = 0;
    double squareSum = 0.0;
    double stepTruePeak = 0.0; // linear, over the chunks added within the step
    float fullScale;
    std::uint64_t samplesAtFullScale = 0;
    LoudnessTrace steps;
};
