#include "engine/Quantiser.h"

#include <algorithm>
#include <cmath>

Quantiser::Quantiser()
{
    setSampleRate(engine_constants::kDefaultSampleRateHz);
    setWordLength(wordLength);
}

void Quantiser::setSampleRate(float sampleRateHz)
{
    for (int tap = 0; tap < kTaps; ++tap)
    {
        float coefficient = 0.0f;
        if (sampleRateHz >= engine_constants::kFirstOrderShapingSampleRateHz)
            coefficient = tap == 0 ? 1.0f : 0.0f;
        else if (sampleRateHz >= engine_constants::kShapingMinSampleRateHz)
            coefficient = engine_constants::kShapingCoefficients[tap];
        if (tap == 0)
        {
            c0 = stereo::splat(coefficient);
            continue;
        }
        FourPairs& weights = tap <= kPairsPerVector ? nearWeights : farWeights;
        const int pair = (tap - 1) % kPairsPerVector;
        weights[2 * pair] = weights[2 * pair + 1] = coefficient;
    }
}

void Quantiser::setWordLength(int bits)
{
    wordLength = std::min(bits, engine_constants::kMaxWordLengthBits);
    scale = stereo::splat(std::ldexp(1.0f, wordLength - 1));
    step = stereo::splat(std::ldexp(1.0f, 1 - wordLength));
    feedback = StereoVector{};
    nearShares = farShares = FourPairs{};
}
