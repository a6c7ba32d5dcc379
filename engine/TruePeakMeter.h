#pragma once

#include "engine/LoudnessConstants.h"

// The highest absolute value of one channel's signal reconstructed between its samples, four
// times oversampled by a windowed-sinc interpolator (BS.1770-4 Annex 2), the samples themselves
// included. The thread that measures owns it; nothing allocates.
class TruePeakMeter
{
  public:
    static constexpr int kTaps = loudness_constants::kInterpolatorTapsPerPhase;
    static constexpr int kPhases = loudness_constants::kOversampling;
    // What it computes in: four consecutive windows at a time.
    static constexpr int kLanes = 4;
    using Lanes = float __attribute__((vector_size(kLanes * sizeof(float))));

    TruePeakMeter();

    // Forgets the signal's past (not the peak).
    void clearHistory();
    void clearPeak() { peak = 0.0f; }
    void process(const float* samples, int frames);
    // Linear; 0 before any signal.
    float getPeak() const { return peak; }

  private:
    // Frames copied behind the history per pass, and frames whose windows share one test of
    // whether they could raise the peak at all.
    static constexpr int kChunkFrames = 256;
    static constexpr int kGroupFrames = 16;
    // Window position of the sample itself: phase 0 sits on it, phase p p/kPhases after it.
    static constexpr int kCentreTap = kTaps / 2 - 1;
    static constexpr int kWorkFrames = kTaps - 1 + kChunkFrames;

    void measureWork(int frames);
    // The peak of the windows starting at window[0 .. kGroupFrames), all computed.
    float groupPeak(const float* window) const;
    float framePeak(const float* window) const;

    static_assert(kPhases == 4 && kTaps % 2 == 0, "groupPeak folds three phases by name");
    // The phases between samples folded about the window's middle, each coefficient repeated
    // across a vector: the quarter phase's even and odd parts (the three-quarter phase is its
    // mirror image) and the half phase (symmetric).
    struct FoldedTap
    {
        Lanes quarterEven, quarterOdd, half;
    };
    FoldedTap foldedTaps[kTaps / 2];
    // No reconstructed value exceeds this times the loudest sample of its window: the largest
    // sum of absolute coefficients of a phase, raised a little for the rounding of the sums.
    float windowGain = 1.0f;
    // The last kTaps - 1 samples, then the chunk being measured.
    float work[kWorkFrames] = {};
    float peak = 0.0f;
};
