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
        if (tap == 1)
        {
            c1 = stereo::splat(coefficient);
            continue;
        }
        const int older = tap - 2;
        FourPairs& weights = older < kPairsPerVector ? nearWeights : farWeights;
        const int pair = older % kPairsPerVector;
        weights[2 * pair] = weights[2 * pair + 1] = coefficient;
        StereoVector* const halves[] = {&nearWeights1, &nearWeights2, &farWeights1};
        StereoVector& half = *halves[older / 2];
        const int lane = 2 * (older % 2);
        half[lane] = half[lane + 1] = coefficient;
    }
}

void Quantiser::setWordLength(int bits)
{
    wordLength = std::min(bits, engine_constants::kMaxWordLengthBits);
    scale = stereo::splat(std::ldexp(1.0f, wordLength - 1));
    step = stereo::splat(std::ldexp(1.0f, 1 - wordLength));
    resetShaping();
}

void Quantiser::resetShaping()
{
    feedback = nextShare = StereoVector{};
    nearShares = farShares = FourPairs{};
    nearShares1 = nearShares2 = farShares1 = StereoVector{};
}
