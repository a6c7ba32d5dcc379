#pragma once

#include "engine/LoudnessConstants.h"
#include "engine/LoudnessHistogram.h"
#include "engine/TruePeakMeter.h"

#include <cstdint>

// What the loudness measurement shows: loudness in LUFS, the range in LU, the true peak in
// dBTP; kSilenceLufs (and a range of 0) where nothing above the gates was measured.
struct LoudnessFigures
{
    float momentaryLufs = loudness_constants::kSilenceLufs;
    float shortTermLufs = loudness_constants::kSilenceLufs;
    float integratedLufs = loudness_constants::kSilenceLufs;
    float rangeLu = 0.0f;
    float truePeakDbtp = loudness_constants::kSilenceLufs;
};

// Loudness of a stereo signal per ITU-R BS.1770-4 and EBU R128: K-weighting at the sample rate,
// momentary (400 ms) and short-term (3 s) loudness every 100 ms, integrated loudness with the
// absolute and relative gates, the loudness range of EBU Tech 3342 and the true peak, all since
// the last reset. One thread at a time uses it; construction allocates, nothing after.
class LoudnessMeter
{
  public:
    LoudnessMeter();

    // Rebuilds the filters for the rate and resets everything.
    void setSampleRate(double sampleRateHz);
    // Forgets everything measured.
    void reset();
    // Forgets the signal's past (filters, the momentary and short-term windows) and keeps the
    // integrated loudness, range and true peak: for a stream that restarts.
    void restart();
    void process(const float* left, const float* right, int frames);
    // Steps of 100 ms completed since the last reset.
    std::uint64_t getStepCount() const { return stepCount; }
    // The figures now; integrated and range take a pass over the histograms.
    LoudnessFigures figures() const;
    // The momentary, short-term and true-peak figures only, at no cost.
    void updateQuickFigures(LoudnessFigures& figures) const;

  private:
    // Both channels side by side: one filter step serves the pair.
    using Pair = double __attribute__((vector_size(2 * sizeof(double))));
    struct Biquad
    {
        Pair b0, b1, b2, a1, a2;
    };
    // Direct form I: the last two inputs and outputs of each stage.
    struct StageState
    {
        Pair in1{}, in2{}, out1{}, out2{};
    };
    static Biquad biquad(double b0, double b1, double b2, double a1, double a2);
    static Pair filterStep(const Biquad& stage, StageState& state, Pair input);
    void completeStep();
    double windowMeanSquare(int steps) const;

    Biquad shelf{};
    Biquad highPass{};
    StageState shelfState{};
    StageState highPassState{};
    int stepFrames = 4410;
    int framesInStep = 0;
    // The step's sums of squared weighted samples, per channel.
    Pair stepSums{};
    // Mean squares of the last kShortTermSteps steps, the newest at lastStep.
    double stepMeanSquares[loudness_constants::kShortTermSteps] = {};
    int lastStep = 0;
    // Steps since the last restart (the windows fill from it) and since the last reset.
    std::uint64_t stepsSinceRestart = 0;
    std::uint64_t stepCount = 0;
    double momentaryMeanSquare = 0.0;
    double shortTermMeanSquare = 0.0;
    LoudnessHistogram gatingBlocks;
    LoudnessHistogram shortTermWindows;
    TruePeakMeter truePeaks[2];
};
