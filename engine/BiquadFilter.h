#pragma once

#include "engine/StereoVector.h"

// Codes of BiquadFilter::design's kind; any other code gives a pass-through.
enum BiquadKind
{
    kLowPass = 0,
    kHighPass = 1,
    kPeaking = 2,
    kHighShelf = 3,
};

// Coefficients normalised to a0 = 1.
struct BiquadCoefficients
{
    float b0;
    float b1;
    float b2;
    float a1;
    float a2;
};

// Expects 0 < frequency < sampleRate / 2 and, for peaking, q > 0.
BiquadCoefficients designBiquad(float sampleRateHz, int kind, float frequencyHz, float q,
                                float gainDb);

// Second-order section in transposed direct form II that designs its own coefficients.
// Sample is float, or StereoVector for the same filter on both channels at once.
template <typename Sample> class BasicBiquadFilter
{
  public:
    BasicBiquadFilter() = default;
    virtual ~BasicBiquadFilter() = default;

    // Replaces the coefficients and keeps the state, so a redesign while running continues
    // smoothly.
    void design(float sampleRateHz, int kind, float frequencyHz, float q, float gainDb)
    {
        const BiquadCoefficients c = designBiquad(sampleRateHz, kind, frequencyHz, q, gainDb);
        b0 = stereo::broadcast<Sample>(c.b0);
        b1 = stereo::broadcast<Sample>(c.b1);
        b2 = stereo::broadcast<Sample>(c.b2);
        a1 = stereo::broadcast<Sample>(c.a1);
        a2 = stereo::broadcast<Sample>(c.a2);
        stateFromInput1 = stereo::broadcast<Sample>(c.b1 - c.a1 * c.b0);
        stateFromInput2 = stereo::broadcast<Sample>(c.b2 - c.a2 * c.b0);
    }

    void process(Sample x) { y = step(x, s1, s2); }

    // The same step on state the caller keeps (in registers across a block); returns the output.
    // The input terms are summed first, so only a1 * out waits for the output.
    __attribute__((always_inline)) Sample step(Sample x, Sample& state1, Sample& state2) const
    {
        const Sample out = b0 * x + state1;
        state1 = (b1 * x + state2) - a1 * out;
        state2 = b2 * x - a2 * out;
        return out;
    }

    // The same step on the same state, the next state taken from the state itself rather than
    // through the output (b1 x + s2 - a1 (b0 x + s1) = (b1 - a1 b0) x + s2 - a1 s1): one frame's
    // state waits on the last one's through one product and one sum instead of two of each. Its
    // rounding differs from step's in the last bits.
    __attribute__((always_inline)) Sample stepShortChain(Sample x, Sample& state1,
                                                         Sample& state2) const
    {
        const Sample out = b0 * x + state1;
        const Sample next1 = (stateFromInput1 * x + state2) - a1 * state1;
        state2 = stateFromInput2 * x - a2 * state1;
        state1 = next1;
        return out;
    }

    Sample output() const { return y; }

    Sample getB0() const { return b0; }
    Sample getB1() const { return b1; }
    Sample getB2() const { return b2; }
    Sample getA1() const { return a1; }
    Sample getA2() const { return a2; }

  private:
    Sample b0 = stereo::broadcast<Sample>(1.0f);
    Sample b1{};
    Sample b2{};
    Sample a1{};
    Sample a2{};
    // b1 - a1 b0 and b2 - a2 b0: what the input adds to the next state, the output's share
    // included.
    Sample stateFromInput1{};
    Sample stateFromInput2{};
    Sample s1{};
    Sample s2{};
    Sample y{};
};

using BiquadFilter = BasicBiquadFilter<float>;
using StereoBiquadFilter = BasicBiquadFilter<StereoVector>;
