#include "engine/BiquadFilter.h"

#include <cmath>

BiquadCoefficients designBiquad(float sampleRateHz, int kind, float frequencyHz, float q,
                                float gainDb)
{
    constexpr float twoPi = 6.2831855f;
    constexpr float pi = 3.1415927f;
    constexpr float sqrtTwo = 1.4142135f;
    constexpr float halfDecibelFactor = 0.025f; // A = 10^(g/40), so A^2 = 10^(g/20)

    const float A =
        static_cast<float>(std::pow(10.0, static_cast<double>(halfDecibelFactor * gainDb)));
    const float w = twoPi * frequencyHz / sampleRateHz;
    const float K = static_cast<float>(std::tan(static_cast<double>(w) / 2.0));
    const float T =
        static_cast<float>(std::tan(static_cast<double>(pi * frequencyHz / (q * sampleRateHz))));
    const float cosW = static_cast<float>(std::cos(static_cast<double>(w)));
    const float sinW = static_cast<float>(std::sin(static_cast<double>(w)));
    const float A2 = A * A;
    const float K2 = K * K;

    float n0 = 1.0f;
    float n1 = 0.0f;
    float n2 = 0.0f;
    float d0 = 1.0f;
    float d1 = 0.0f;
    float d2 = 0.0f;
    switch (kind)
    {
    case kLowPass:
    case kHighPass:
        // Bilinear Butterworth with the resonance set by the gain: Q = A^2 / sqrt(2).
        if (kind == kLowPass)
        {
            n0 = K2;
            n1 = 2.0f * K2;
            n2 = K2;
        }
        else
        {
            n0 = 1.0f;
            n1 = -2.0f;
            n2 = 1.0f;
        }
        d0 = 1.0f + sqrtTwo * K / A2 + K2;
        d1 = 2.0f * (K2 - 1.0f);
        d2 = 1.0f - sqrtTwo * K / A2 + K2;
        break;
    case kPeaking:
        n0 = 1.0f + A2 * T;
        n1 = -2.0f * cosW;
        n2 = 1.0f - A2 * T;
        d0 = 1.0f + T;
        d1 = -2.0f * cosW;
        d2 = 1.0f - T;
        break;
    case kHighShelf:
    {
        const float shelfSlope = std::sqrt(2.0f * A) * sinW;
        n0 = A * ((A + 1.0f) + (A - 1.0f) * cosW + shelfSlope);
        n1 = -2.0f * A * ((A - 1.0f) + (A + 1.0f) * cosW);
        n2 = A * ((A + 1.0f) + (A - 1.0f) * cosW - shelfSlope);
        d0 = (A + 1.0f) - (A - 1.0f) * cosW + shelfSlope;
        d1 = 2.0f * ((A - 1.0f) - (A + 1.0f) * cosW);
        d2 = (A + 1.0f) - (A - 1.0f) * cosW - shelfSlope;
        break;
    }
    default:
        break;
    }

    return {n0 / d0, n1 / d0, n2 / d0, d1 / d0, d2 / d0};
}
