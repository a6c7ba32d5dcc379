#include "engine/NoiseSource.h"

#include "engine/Coefficients.h"
#include "engine/EngineConstants.h"

NoiseSource::NoiseSource(RandomGenerator& sharedGenerator) : generator(&sharedGenerator)
{
    setLevel(engine_constants::kInputNoiseLevelDb);
}

void NoiseSource::setLevel(float levelDb)
{
    constexpr float amplitudeDbFactor = 0.05f;
    constexpr double stepsPerFullLevel = 0.0078125; // 1/128: 128 steps span the level
    amplitude = stereo::splat(static_cast<float>(
        static_cast<double>(decibelsToFactor(amplitudeDbFactor, levelDb)) * stepsPerFullLevel));
}
