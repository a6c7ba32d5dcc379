#pragma once

#include "engine/RandomGenerator.h"
#include "engine/StereoVector.h"

// Signed noise at a level in dB: 256 integer steps of amplitude = 10^(level/20) / 128, from
// -128 to +127 steps. Draws from a generator it does not own (its engine's), so the engine's
// input noise and both quantisers' dither share one sequence.
class NoiseSource
{
  public:
    explicit NoiseSource(RandomGenerator& generator);
    virtual ~NoiseSource() = default;

    void setLevel(float levelDb);
    float getAmplitude() const { return amplitude[0]; }

    // Two successive uniform values in lanes 0 and 1 (lanes 2 and 3 hold two more, unused):
    // each from -128 to +127 steps, with mean -0.5 steps, not 0.
    StereoVector uniformPair() { return uniformPair(*generator); }

    // The same from a generator the caller holds, a copy of this one's kept in a register across
    // a block; the caller copies it back.
    StereoVector uniformPair(RandomGenerator& from) const
    {
        constexpr std::uint32_t lowByteMask = 0xFFu;
        constexpr std::int32_t midStep = 128;
        const StereoMask steps = reinterpret_cast<StereoMask>(from.next() & lowByteMask) - midStep;
        return __builtin_convertvector(steps, StereoVector) * amplitude;
    }

    // Lanes 0 and 1 of two successive draws in lanes 0, 1 and 2, 3: the uniformPair values of
    // two frames, converted together.
    StereoVector uniformTwoPairs(RandomGenerator& from) const
    {
        constexpr std::uint32_t lowByteMask = 0xFFu;
        constexpr std::int32_t midStep = 128;
        const RandomGenerator::Lanes first = from.next();
        const RandomGenerator::Lanes second = from.next();
        const RandomGenerator::Lanes both = __builtin_shufflevector(first, second, 0, 1, 4, 5);
        const StereoMask steps = reinterpret_cast<StereoMask>(both & lowByteMask) - midStep;
        return __builtin_convertvector(steps, StereoVector) * amplitude;
    }

    float uniform() { return uniformPair()[0]; }

    // Half the sum of two uniform values: the same range, triangular distribution.
    float triangular() { return triangular(*generator); }

    float triangular(RandomGenerator& from) const
    {
        const StereoVector pair = uniformPair(from);
        const float first = pair[0];
        const float second = pair[1];
        return (second + first) * 0.5f;
    }

    RandomGenerator& source() const { return *generator; }

  private:
    RandomGenerator* generator;
    StereoVector amplitude;
};
