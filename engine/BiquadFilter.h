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
    Sample s1{};
    Sample s2{};
    Sample y{};
};

using BiquadFilter = BasicBiquadFilter<float>;
using StereoBiquadFilter = BasicBiquadFilter<StereoVector>;
