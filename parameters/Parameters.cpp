#include "parameters/Parameters.h"

#include "parameters/GainLaw.h"

#include <cmath>
#include <iterator>

const char kParamNameTable[kNumParams][kParamNameSize] = {
    "Output trim    ", "Output scale   ", "Bypass         ", "Input drive    ", "Side gain      ",
    "XCorr time     ", "XCorr threshold", "Env hysteresis ", "Env release    ", "Stereo link    ",
    "Softclip thresh", "Softclip amount", "RMS attack     ", "RMS release    ", "RMS threshold  ",
    "InterSamplePeak", "Dithering      ",
};

const char kParamLabelTable[kNumParams][kParamLabelSize] = {
    "dB", "  ", "  ", "dB", "% ", "ms", "--", "ms", "ms",
    "% ", "dB", "% ", "ms", "ms", "dB", "  ", "Bt",
};

const ParamRange kParamRange[kNumParams] = {
    {-72.0f, 0.0f},  // dB
    {0.0f, 4.0f},    // meter scale button position
    {0.0f, 1.0f},    // switch
    {-52.0f, 20.0f}, // dB, drive including its x10
    {0.0f, 200.0f},  // percent
    {0.0f, 500.0f},  // ms
    {-1.0f, 1.0f},   // correlation
    {0.0f, 200.0f},  // ms
    {0.0f, 200.0f},  // ms
    {0.0f, 100.0f},  // percent
    {-20.0f, 20.0f}, // dB
    {0.0f, 100.0f},  // percent
    {0.0f, 200.0f},  // ms
    {0.0f, 200.0f},  // ms
    {-20.0f, 20.0f}, // dB
    {0.0f, 1.0f},    // switch
    {0.0f, 7.0f},    // seven times the menu position
};

float normalisedToGain(float x)
{
    // The knee rounded to float (0.14285715f) and measured from there: the stored value's own
    // precision, which the engine's gains have always been computed in.
    constexpr float firstSegmentEnd = static_cast<float>(gain_law::kKneePosition);
    constexpr double dbToExponent = 0.05;
    const double gainDb =
        x >= firstSegmentEnd
            ? (x - static_cast<double>(firstSegmentEnd)) * gain_law::kUpperDbPerUnit +
                  gain_law::kKneeDb
            : gain_law::kLowerDbPerUnit * x + gain_law::kBottomDb;
    return static_cast<float>(std::pow(10.0, dbToExponent * gainDb));
}

float normalisedToDrive(float x)
{
    // Scaled in float after the law's rounding, as the engine always did.
    return gain_law::kDriveFactorScale * normalisedToGain(x);
}

namespace
{
// Worked in double and rounded once by the callers, so the engine's values stay bit-exact.
double rangePoint(int index, float x)
{
    const double low = kParamRange[index].low;
    const double high = kParamRange[index].high;
    return low + x * (high - low);
}
} // namespace

float rangeValue(int index, float x)
{
    return static_cast<float>(rangePoint(index, x));
}

float rangeValueSeconds(int index, float x)
{
    constexpr float secondsPerMillisecond = 0.001f;
    return static_cast<float>(rangePoint(index, x) * secondsPerMillisecond);
}

int ditherBitsFromPosition(float position)
{
    // Menu position thresholds, largest first, and the word length each selects.
    constexpr float positionAbove[] = {5.5f, 4.5f, 3.5f, 2.5f, 1.5f, 0.5f};
    constexpr int bits[] = {8, 12, 16, 20, 24, 32};
    constexpr int unquantisedBits = 64;
    for (std::size_t i = 0; i < std::size(positionAbove); ++i)
    {
        if (position > positionAbove[i])
            return bits[i];
    }
    return unquantisedBits;
}
