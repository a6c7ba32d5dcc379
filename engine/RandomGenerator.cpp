#include "engine/RandomGenerator.h"

RandomGenerator::RandomGenerator()
{
    // Spread over the streams' one cycle by a multiplicative hash; an odd factor never gives 0.
    constexpr std::uint32_t seedFactor = 0x9E3779B9u;
    std::uint32_t seeds[kValuesPerStep];
    for (int lane = 0; lane < kValuesPerStep; ++lane)
        seeds[lane] = (static_cast<std::uint32_t>(lane) + 1u) * seedFactor;
    std::memcpy(&state, seeds, sizeof state);
}

// Out of line and in the baseline code set: the AVX-512 file must not lend its copy to others.
RandomGenerator::Lanes RandomGenerator::next()
{
    if (handedOut == kDrawsPerStep)
    {
        drawStep(state, current);
        handedOut = 0;
    }
    const std::uint32_t first = current[2 * handedOut];
    const std::uint32_t second = current[2 * handedOut + 1];
    ++handedOut;
    return Lanes{first, second, first, second};
}
