#pragma once

#include <cstdint>

#include "parameters/Parameters.h"

// The plug-in's ports in index order. Hosts such as Ardour number the automatable parameters
// by control port order, so the 17 parameters come first, at their ParamId.
namespace lv2_port
{
constexpr std::uint32_t kAudioInLeft = kNumParams;
constexpr std::uint32_t kAudioInRight = kAudioInLeft + 1;
constexpr std::uint32_t kAudioOutLeft = kAudioInLeft + 2;
constexpr std::uint32_t kAudioOutRight = kAudioInLeft + 3;
// Output: the look-ahead in frames, for the host's delay compensation.
constexpr std::uint32_t kLatency = kAudioOutRight + 1;

// Output meters, what the editor shows: linear levels and gains as the engine reads them, then
// the loudness figures (LUFS, LU, dBTP) since the last loudness reset.
enum Meter : std::uint32_t
{
    kPeakLeft,
    kPeakRight,
    kRmsLeft,
    kRmsRight,
    kPeakHoldLeft,
    kPeakHoldRight,
    kLimiterGainLeft,
    kLimiterGainRight,
    kSoftclipGainLeft,
    kSoftclipGainRight,
    kRmsGain,
    kCorrelation,
    kCorrelationShortfall,
    kMomentaryLufs,
    kShortTermLufs,
    kIntegratedLufs,
    kLoudnessRangeLu,
    kTruePeakDbtp,
    kMeterCount
};
constexpr std::uint32_t kFirstMeter = kLatency + 1;

// Input, last: every change of its value resets the held peaks. A port rather than a message,
// so a UI in another process (which cannot reach the instance) can ask for it.
constexpr std::uint32_t kPeakHoldReset = kFirstMeter + kMeterCount;
// Input: every change of its value resets the loudness figures, the same way.
constexpr std::uint32_t kLoudnessReset = kPeakHoldReset + 1;
constexpr std::uint32_t kPortCount = kLoudnessReset + 1;

constexpr bool isParameterPort(std::uint32_t port)
{
    return port < kAudioInLeft;
}
constexpr bool isMeterPort(std::uint32_t port)
{
    return port >= kFirstMeter && port < kFirstMeter + kMeterCount;
}
} // namespace lv2_port
