#include "host/GainReduction.h"

#include <algorithm>
#include <cmath>

namespace
{
// Below this mean square (-90 dBFS) the dither and the plug-in's noise would dominate the ratio.
constexpr double kQuietestMeanSquare = 1e-9;
constexpr std::size_t kLoudestSteps = 30; // 3 s of 100 ms steps
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

double loudestSecondsReductionDb(const std::vector<double>& reductionDb,
                                 const std::vector<double>& outputShortTermLufs)
{
    const std::size_t steps = std::min(reductionDb.size(), outputShortTermLufs.size());
    std::size_t loudest = steps;
    for (std::size_t step = 0; step < steps; ++step)
    {
        if (std::isfinite(outputShortTermLufs[step]) &&
            (loudest == steps || outputShortTermLufs[step] > outputShortTermLufs[loudest]))
            loudest = step;
    }
    if (loudest == steps)
        return 0.0;
    const std::size_t first = loudest + 1 >= kLoudestSteps ? loudest + 1 - kLoudestSteps : 0;
    double sum = 0.0;
    for (std::size_t step = first; step <= loudest; ++step)
        sum += reductionDb[step];
    return sum / static_cast<double>(loudest + 1 - first);
}
