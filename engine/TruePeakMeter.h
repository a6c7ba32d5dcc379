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

    TruePeakMeter();

    // Forgets the signal's past (not the peak).
    void clearHistory();
    void clearPeak() { peak = 0.0f; }
    void process(const float* samples, int frames);
    // Linear; 0 before any signal.
    float getPeak() const { return peak; }

  private:
    // Coefficients per tap, the phases side by side so one tap's four products go together;
    // phase 0 is the sample itself. history holds the last kTaps samples twice over so a window
    // never wraps.
    using Phases = float __attribute__((vector_size(kPhases * sizeof(float))));
    Phases coefficients[kTaps];
    float history[2 * kTaps] = {};
    int next = 0;
    float peak = 0.0f;
};
