#pragma once

#include <cstdint>

// Every fixed figure of the signal engine, with its unit in the name.
namespace engine_constants
{
// Floor and rest value of every recursive state: the float nearest 1e-8.
constexpr float kEpsilon = 1e-8f;

constexpr int kLatencyFrames = 512;
constexpr int kDelayCapacityFrames = 512;
// processBlock takes a block in runs of at most this many frames, each stage over a whole run.
constexpr int kRunFrames = 256;
// Frames the look-ahead line keeps: a power of two holding the 513 frames the oldest frame of a
// run sees plus the run.
constexpr int kRingFrames = 1024;
static_assert(kRingFrames >= kDelayCapacityFrames + 1 + kRunFrames, "ring too short for a run");
// Floats in a 64-byte cache line, for fetching lines ahead.
constexpr int kCacheLineFloats = 16;

constexpr float kDefaultSampleRateHz = 44100.0f;
constexpr float kMinSampleRateHz = 5000.0f;
constexpr float kMaxSampleRateHz = 1e7f;
constexpr float kMinTimeSeconds = 0.005f;
constexpr float kMinOutputGain = 1e-6f;
// The output never exceeds full scale, so the trim after the clamp never raises the level.
constexpr float kMaxOutputGain = 1.0f;

// Bounds on the signal multipliers a host can reach with values far outside 0..1: far beyond
// any setting the parameters give, and low enough that no signal or squared statistic can
// overflow into infinity and poison the recursive state.
constexpr float kMaxInputGainFactor = 1e4f;       // +80 dB of drive
constexpr float kMaxSignalFactor = 1e3f;          // side gain and softclip amount, either sign
constexpr float kMaxSoftclipThresholdDb = 200.0f; // either sign
// A correlation lies within -1..1; beyond, the limiter's weights change sign and would widen.
constexpr float kMaxCorrelationThreshold = 1.0f; // either sign

// Finite input beyond +-1e6 (+120 dBFS) is bounded so no squared statistic can overflow; the
// quantisers bound their input likewise, so their rounding never leaves the integer range.
constexpr float kInputLimit = 1e6f;

constexpr float kInputNoiseLevelDb = -160.0f;
constexpr float kDitherLevelDb = -3.0f;

constexpr float kMeterDecayTimeSeconds = 1.0f;
constexpr float kMeterRmsTimeSeconds = 0.25f;
constexpr float kMeanSquareTimeSeconds = 0.001f;
constexpr float kPeakHoldDurationSeconds = 10.0f;

constexpr float kPeakSmoothTimeSeconds = 0.0015f;
constexpr float kPeakHoldTimeSeconds = 0.005f;
constexpr float kHysteresisWeight = 1.0f;

// Correlation statistics run on 800 Hz high-passed channels (second-order Butterworth).
constexpr int kCorrelationFilterKind = 1; // high-pass
constexpr float kCorrelationFilterFrequencyHz = 800.0f;
constexpr float kCorrelationFilterQ = 1.0f;
constexpr float kCorrelationFilterGainDb = 0.0f;
// At or below this threshold the correlation limiter is off.
constexpr float kCorrelationLimiterOffThreshold = -0.95f;

// At or below this amount the soft clipper does nothing, not even metering.
constexpr float kSoftclipMinAmount = 0.01f;

// Half-way interpolator, symmetric, given by bit pattern so no decimal rounding can creep in.
constexpr int kInterpolatorTapCount = 8;
constexpr std::uint32_t kInterpolatorTapBits[kInterpolatorTapCount] = {
    0xBDB37627u, 0x3DFFDF5Bu, 0xBE57D3A7u, 0x3F22DA06u,
    0x3F22DA06u, 0xBE57D3A7u, 0x3DFFDF5Bu, 0xBDB37627u};
constexpr float kInterpolatorTaps[kInterpolatorTapCount] = {
    __builtin_bit_cast(float, kInterpolatorTapBits[0]),
    __builtin_bit_cast(float, kInterpolatorTapBits[1]),
    __builtin_bit_cast(float, kInterpolatorTapBits[2]),
    __builtin_bit_cast(float, kInterpolatorTapBits[3]),
    __builtin_bit_cast(float, kInterpolatorTapBits[4]),
    __builtin_bit_cast(float, kInterpolatorTapBits[5]),
    __builtin_bit_cast(float, kInterpolatorTapBits[6]),
    __builtin_bit_cast(float, kInterpolatorTapBits[7])};
// Taps span three samples older than the look-ahead tap to four newer.
constexpr int kInterpolatorOldestOffsetFrames = -3;

constexpr int kMaxWordLengthBits = 32;
constexpr int kDefaultDitherBits = 64;
// Noise shaping is off below 32 kHz, the 8-tap filter runs up to 120 kHz, first order above.
constexpr float kShapingMinSampleRateHz = 32000.0f;
constexpr float kFirstOrderShapingSampleRateHz = 120000.0f;
constexpr int kShapingTapCount = 8;
// Error feedback taps, c0 weighting the newest error.
constexpr float kShapingCoefficients[kShapingTapCount] = {
    1.47933f, -1.59032f, 1.64436f, -1.36613f, 0.926704f, -0.557931f, 0.267859f, -0.106627f};
} // namespace engine_constants
