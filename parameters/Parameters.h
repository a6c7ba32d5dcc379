// The 17 automatable parameters of every edition: their order, texts, ranges and the conversions
// from the stored value (normalised 0..1; "Dithering" holds the menu position) to engine units.
#pragma once

#include <cstddef>
#include <cstdint>

enum ParamId : std::int32_t
{
    kOutputTrim,
    kOutputScale,
    kBypass,
    kInputDrive,
    kSideGain,
    kXCorrTime,
    kXCorrThreshold,
    kEnvHysteresis,
    kEnvRelease,
    kStereoLink,
    kSoftclipThresh,
    kSoftclipAmount,
    kRmsAttack,
    kRmsRelease,
    kRmsThreshold,
    kInterSamplePeak,
    kDithering,
    kNumParams
};

constexpr int kNumPrograms = 18;

// Text sizes in bytes, terminator included: names are 15 characters, labels 2.
constexpr std::size_t kParamNameSize = 16;
constexpr std::size_t kParamLabelSize = 3;

struct ParamRange
{
    float low;
    float high;
};

extern const char kParamNameTable[kNumParams][kParamNameSize];
extern const char kParamLabelTable[kNumParams][kParamLabelSize];
extern const ParamRange kParamRange[kNumParams];

constexpr bool isParamIndex(int index)
{
    return index >= 0 && index < kNumParams;
}

// The two-segment law of "Output trim" and "Input drive": -72 to -36 dB over the first seventh of
// the travel, -36 to 0 dB over the rest; returns a linear factor.
float normalisedToGain(float x);
// The factor "Input drive" applies: the law's factor times ten (GainLaw.h).
float normalisedToDrive(float x);

// low + x * (high - low) of the index's range, rounded to float.
float rangeValue(int index, float x);

// A time parameter's range value in milliseconds, handed over in seconds.
float rangeValueSeconds(int index, float x);

// Switches are on strictly above one half.
constexpr bool switchIsOn(float x)
{
    return x > 0.5f;
}

// The word-length menu's last position ("8 bit"): "Dithering" stores 0..this, the others 0..1.
constexpr float kLastDitheringPosition = 6.0f;

// The largest value the index stores.
constexpr float storedValueLimit(int index)
{
    return index == kDithering ? kLastDitheringPosition : 1.0f;
}

// Word length in bits from the "Dithering" menu position 0..6 (64, 32, 24, 20, 16, 12, 8).
int ditherBitsFromPosition(float position);

