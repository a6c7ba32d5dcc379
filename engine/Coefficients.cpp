#include "engine/Coefficients.h"

#include <cmath>

float onePoleCoefficient(float timeSeconds, float sampleRateHz)
{
    const double time = timeSeconds;
    const double rate = sampleRateHz;
    return static_cast<float>(std::exp(-1.0 / (time * rate)));
}

namespace
{
// The two one-pole rates (1/s) and their difference, each held as a 32-bit float.
struct PeakRates
{
    float smooth;
    float hold;
    float difference;
};

PeakRates peakRatesFor(float smoothTimeSeconds, float holdTimeSeconds)
{
    const float smooth = 1.0f / smoothTimeSeconds;
    const float hold = 1.0f / holdTimeSeconds;
    const float difference = smooth - hold;
    return {smooth, hold, difference};
}
} // namespace

float peakNormalisationFor(float smoothTimeSeconds, float holdTimeSeconds)
{
    const PeakRates rates = peakRatesFor(smoothTimeSeconds, holdTimeSeconds);
    const double w = rates.smooth;
    const double a = rates.hold;
    const double d = rates.difference;
    return static_cast<float>(1.0 / (std::pow(w, w / (a - w)) * std::pow(a, a / d) * w));
}

int lookAheadFramesFor(float smoothTimeSeconds, float holdTimeSeconds, float sampleRateHz)
{
    const PeakRates rates = peakRatesFor(smoothTimeSeconds, holdTimeSeconds);
    const double logRatio =
        std::log(static_cast<double>(rates.smooth)) - std::log(static_cast<double>(rates.hold));
    return static_cast<int>(
        std::ceil(static_cast<double>(sampleRateHz) * logRatio / rates.difference));
}

float decibelsToFactor(float factor, float db)
{
    return static_cast<float>(std::pow(10.0, static_cast<double>(factor * db)));
}
