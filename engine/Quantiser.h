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
    // Resets the shaping state: for a switch between the code sets, which keep it apart.
    void resetShaping();

    // The word length's steps in full scale: x times this is x in steps, exactly (a power of
    // two), as process takes it.
    float stepsPerFullScale() const { return scale[0]; }

    // scaled is x in steps (x in full-scale units, within +-1: the engine clamps before
    // quantising, which keeps the rounding inside 32-bit integers up to 30 bits); offered is
    // scaled plus the dither in steps. Both come from vector stages, which leaves this one
    // frame's wait on the last: the feedback. Returns the quantised values in full-scale units.
    __attribute__((always_inline)) StereoVector process(StereoVector scaled, StereoVector offered)
    {
        // v = scaled - feedback is the value to round; the rounding waits for the feedback only.
        // Rounds half away from zero: s + 0.5 where s is positive, else s - 0.5, then truncates.
        // The halves go onto the offered value before the feedback is known, so s and both sums
        // take one subtraction each from it, and the sign of s only chooses. (At a near-tie the
        // sums can round one step apart from s + 0.5 and s - 0.5: a difference within the
        // rounding, which the reference comparison allows.)
        const StereoVector s = offered - feedback;
        const StereoVector above = (offered + 0.5f) - feedback;
        const StereoVector below = (offered - 0.5f) - feedback;
        const StereoVector q = stereo::truncated(stereo::selectBySign(s, below, above));
        // The error is q - v = q + (feedback - scaled). The next feedback is c0 times it, c0 * q
        // added last so that only one operation waits for q, plus the older errors' shares.
        const StereoVector towardsError = feedback - scaled;
        feedback = c0 * q + (c0 * towardsError + nextShare);
        // Each share takes the newest error at its weight onto the share one sample further on:
        // c[k] * e(n) + (c[k + 1] * e(n - 1) + ...), summed oldest-first. The next feedback's,
        // apart from the vectors of the others, waits on one product and sum, not on a shift.
        const StereoVector error = q + towardsError;
        nextShare = c1 * error + secondShare();
#if defined(__AVX512F__)
        const FourPairs errorInEveryPair =
            __builtin_shufflevector(error, error, 0, 1, 2, 3, 0, 1, 2, 3);
        nearShares = nearWeights * errorInEveryPair +
                     __builtin_shufflevector(nearShares, farShares, 2, 3, 4, 5, 6, 7, 8, 9);
        farShares = farWeights * errorInEveryPair +
                    __builtin_shufflevector(farShares, FourPairs{}, 2, 3, 4, 5, 6, 7, 8, 9);
#else
        // error repeats its pair in lanes 2 and 3.
        nearShares1 = nearWeights1 * error + laterPair(nearShares1, nearShares2);
        nearShares2 = nearWeights2 * error + laterPair(nearShares2, farShares1);
        farShares1 = farWeights1 * error + laterPair(farShares1, StereoVector{});
#endif
        return q * step;
    }

  private:
    static constexpr int kTaps = engine_constants::kShapingTapCount;

    // Left/right pairs of four taps.
    static constexpr int kPairsPerVector = 4;
    using FourPairs = float __attribute__((vector_size(8 * kPairsPerVector)));
    static_assert(kTaps - 2 <= 2 * kPairsPerVector, "the older taps fill two vectors");

    // The second pair of `near` then the first of `far`: the shares one sample later.
    static __attribute__((always_inline)) StereoVector laterPair(StereoVector near,
                                                                 StereoVector far)
    {
        return __builtin_shufflevector(near, far, 2, 3, 4, 5);
    }

    // The share of the errors so far in the feedback three samples on (tap 2's), in lanes 0 and 1
    // and again 2 and 3.
    __attribute__((always_inline)) StereoVector secondShare() const
    {
#if defined(__AVX512F__)
        return __builtin_shufflevector(nearShares, nearShares, 0, 1, 0, 1);
#else
        return __builtin_shufflevector(nearShares1, nearShares1, 0, 1, 0, 1);
#endif
    }

    int wordLength = engine_constants::kMaxWordLengthBits;
    StereoVector scale{};
    StereoVector step{};
    // Shaping coefficients, c[0] for the newest error; the feedback for the next sample and the
    // errors' share in the one after it.
    StereoVector c0{};
    StereoVector c1{};
    StereoVector feedback{};
    StereoVector nextShare{};
    // c[2] to c[7] (and spare 0s) in left/right pairs, and in the same places the share of the
    // errors so far in the feedback k + 1 samples on, for tap k: the transposed form of the sum,
    // which shifts a few vectors per sample instead of seven errors through registers. In two
    // layouts, one per code set, each the one it computes fastest: two vectors of four pairs
    // where vectors are 32 bytes (the AVX-512 code), three of two pairs on the 16-byte baseline
    // (where 32-byte vectors would go through memory). Each code set keeps only its own shares.
    FourPairs nearWeights{};
    FourPairs farWeights{};
    FourPairs nearShares{};
    FourPairs farShares{};
    StereoVector nearWeights1{};
    StereoVector nearWeights2{};
    StereoVector farWeights1{};
    StereoVector nearShares1{};
    StereoVector nearShares2{};
    StereoVector farShares1{};
};
