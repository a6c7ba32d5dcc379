#pragma once

// Second-order section in transposed direct form II that designs its own coefficients.
class BiquadFilter
{
  public:
    // Codes of `design`'s kind; any other code gives a pass-through.
    enum BiquadKind
    {
        kLowPass = 0,
        kHighPass = 1,
        kPeaking = 2,
        kHighShelf = 3,
    };

    BiquadFilter() = default;
    virtual ~BiquadFilter() = default;

    // Replaces the coefficients and keeps the state, so a redesign while running continues
    // smoothly. Expects 0 < frequency < sampleRate / 2 and, for peaking, q > 0.
    void design(float sampleRateHz, int kind, float frequencyHz, float q, float gainDb);

    void process(float x)
    {
        y = b0 * x + s1;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;
    }

    float output() const { return y; }

    float getB0() const { return b0; }
    float getB1() const { return b1; }
    float getB2() const { return b2; }
    float getA1() const { return a1; }
    float getA2() const { return a2; }

  private:
    float b0 = 1.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    float a0 = 1.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
    float s1 = 0.0f;
    float s2 = 0.0f;
    float y = 0.0f;
};
