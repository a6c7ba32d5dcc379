#include "host/GainReduction.h"

#include <algorithm>
#include <cmath>

namespace
{
// Below this mean square (-90 dBFS) the dither and the plug-in's noise would dominate the ratio.
constexpr double kQuietestMeanSquare = 1e-9;
} // namespace

std::vector<double> gainReductionDb(const std::vector<double>& inputMeanSquare,
                                    const std::vector<double>& outputMeanSquare, double gainDb)
{
    const std::size_t steps = std::min(inputMeanSquare.size(), outputMeanSquare.size());
    const double gainPower = std::pow(10.0, gainDb / 10.0);
    std::vector<double> reduction(steps, 0.0);
    for (std::size_t step = 0; step < steps; ++step)
    {
        const double expected = inputMeanSquare[step] * gainPower;
        if (expected > kQuietestMeanSquare && outputMeanSquare[step] > 0.0)
            reduction[step] = std::max(0.0, 10.0 * std::log10(expected / outputMeanSquare[step]));
    }
    return reduction;
}
