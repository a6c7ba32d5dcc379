#pragma once

#include "engine/EngineConstants.h"
#include "engine/StereoVector.h"

// Word-length reduction of both channels at once (lanes 0 and 1) with error-feedback noise
// shaping; the caller supplies the triangular dither. The shaping filter depends on the sample
// rate: none below 32 kHz, a fixed 8-tap filter up to 120 kHz, first order above; all three are
// one 8-tap sum with different coefficients (first order is 1, 0, ..., none all 0). A plain value
// type, so a block loop can keep a copy in registers.
class Quantiser
{
  public:
    Quantiser();

    // Selects the shaping filter from the next sample on; resets nothing.
    void setSampleRate(float sampleRateHz);
    // Stores min(bits, 32) and resets the shaping state.
    void setWordLength(int bits);

    // x in full-scale units, within +-1 (the engine clamps before quantising, which keeps the
    // rounding inside 32-bit integers up to 30 bits); ditherSteps in steps of the word length.
    // Returns the quantised values in full-scale units.
    __attribute__((always_inline)) StereoVector process(StereoVector x, StereoVector ditherSteps)
    {
        const StereoVector scaled = x * scale;
        // v = scaled - feedback is the value to round; the rounding waits for the feedback only.
        const StereoVector s = (scaled + ditherSteps) - feedback;
        // Rounds half away from zero: s + 0.5 above zero, else s - 0.5, then truncates.
        const StereoVector q = stereo::truncated(s + stereo::halfWithSignOf(s));
        // The error is q - v = q + (feedback - scaled). The next feedback is the error history
        // weighted oldest-first, c0 * q added last, so only one operation waits for q.
        const StereoVector towardsError = feedback - scaled;
        feedback =
            c[0] * q + (c[0] * towardsError +
                        (c[1] * error1 +
                         (c[2] * error2 +
                          (c[3] * error3 +
                           (c[4] * error4 + (c[5] * error5 + (c[6] * error6 + c[7] * error7)))))));
        error7 = error6;
        error6 = error5;
        error5 = error4;
        error4 = error3;
        error3 = error2;
        error2 = error1;
        error1 = q + towardsError;
        return q * step;
    }

  private:
    static constexpr int kTaps = engine_constants::kShapingTapCount;

    int wordLength = engine_constants::kMaxWordLengthBits;
    StereoVector scale{};
    StereoVector step{};
    // Shaping coefficients, c[0] weighting the newest error.
    StereoVector c[kTaps] = {};
    // The feedback for the next sample, and the errors before the newest, newest first: named
    // values rather than an array, so a block loop keeps them in registers.
    StereoVector feedback{};
    StereoVector error1{};
    StereoVector error2{};
    StereoVector error3{};
    StereoVector error4{};
    StereoVector error5{};
    StereoVector error6{};
    StereoVector error7{};
};
