// The one meter of every render: loudness and peaks of a stereo stream (BS.1770 / EBU R 128 via
// libebur128, true peak 8x oversampled) and their course over time, which plots and the gain
// reduction read.
#pragma once

#include "host/FileTruePeakMeter.h"

#include <ebur128.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

struct FileLoudnessFigures
{
    double integratedLufs; // -inf when everything was gated away (silence)
    double loudnessRangeLu;
    double maxShortTermLufs; // loudest full 3 s window, sampled every 100 ms
    double samplePeakDbfs;
    double truePeakDbtp; // 8x oversampled
    std::uint64_t samplesAtFullScale;
};

// One value per 100 ms step; the last step may be shorter.
struct LoudnessTrace
{
    static constexpr double kStepSeconds = 0.1;
    // The 3 s window ending with the step; -inf in silence and before the window is full.
    std::vector<double> shortTermLufs;
    std::vector<double> truePeakDbtp; // within the step
    std::vector<double> meanSquare;   // of both channels' samples within the step
};

// Rates from which BS.1770's K-weighting can be built (its shelf sits at 1.7 kHz).
constexpr int kLowestMeasurableRateHz = 8000;
constexpr int kHighestMeasurableRateHz = 768000;

class FileLoudnessMeter
{
  public:
    // fullScale: magnitude from which a sample counts as at or beyond full scale. Throws
    // HostError at a rate outside the measurable ones.
    FileLoudnessMeter(int sampleRateHz, float fullScale);
    ~FileLoudnessMeter();
    FileLoudnessMeter(const FileLoudnessMeter&) = delete;
    FileLoudnessMeter& operator=(const FileLoudnessMeter&) = delete;

    // The thread that owns the meter, as every call.
    void add(const float* interleavedStereo, std::size_t frames);
    // Closes the last, possibly partial, step; add nothing after it.
    void finish();

    FileLoudnessFigures figures() const;
    const LoudnessTrace& trace() const { return steps; }
    int sampleRateHz() const { return rateHz; }

    // Integrated loudness of finished programmes played one after another, gated as one.
    static double albumLoudnessLufs(const std::vector<const FileLoudnessMeter*>& tracks);

  private:
    void closeStep();

    ebur128_state* state;
    FileTruePeakMeter truePeak;
    int rateHz;
    std::size_t framesPerStep;
    std::size_t framesInStep = 0;
    long long framesAdded = 0;
    double squareSum = 0.0;
    float fullScale;
    std::uint64_t samplesAtFullScale = 0;
    double maxShortTermLufs;
    std::deque<double> stepEnergies; // the last 3 s, K-weighted mean square per step
    double windowEnergySum = 0.0;
    LoudnessTrace steps;
};
