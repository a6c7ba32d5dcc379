#pragma once

#include "engine/RandomGenerator.h"

// Signed noise at a level in dB: 256 integer steps of amplitude = 10^(level/20) / 128, from
// -128 to +127 steps. Draws from a generator it does not own (its engine's), so the engine's
// input noise and both quantisers' dither share one sequence.
class NoiseSource
{
  public:
    explicit NoiseSource(RandomGenerator& generator);
    virtual ~NoiseSource() = default;

    void setLevel(float levelDb);
    float getAmplitude() const { return amplitude; }

    // One value from -128 to +127 steps; its mean is -0.5 steps, not 0.
    float uniform()
    {
        constexpr std::uint32_t lowByteMask = 0xFFu;
        constexpr int midStep = 128;
        const int step = static_cast<int>(generator->next() & lowByteMask) - midStep;
        return static_cast<float>(step) * amplitude;
    }

    // Half the sum of two uniform values: the same range, triangular distribution.
    float triangular()
    {
        const float first = uniform();
        const float second = uniform();
        return (second + first) * 0.5f;
    }

  private:
    RandomGenerator* generator;
    float amplitude;
};
