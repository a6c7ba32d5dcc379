#include "editor/GainToPosition.h"

#include <cmath>

namespace
{
constexpr float kFullScaleGain = 0.99f;             // about -0.09 dB reads full
constexpr float kSilenceOffset = 1e-30f;            // keeps the logarithm of silence finite
constexpr float kUpperSegmentDb = -36.0f;           // where the upper six sevenths begin
constexpr float kLowerSegmentDb = -72.0f;           // bottom of the scale
constexpr float kUpperPositionPerDb = 0.023809524f; // 1/42
constexpr float kLowerPositionPerDb = 0.003968254f; // 1/252
constexpr float kUpperSegmentStart = 0.14285715f;   // 1/7
} // namespace

float gainToPosition(float gain)
{
    if (gain >= kFullScaleGain)
        return 1.0f;
    const float db = 20.0f * std::log10(gain + kSilenceOffset);
    if (db >= kUpperSegmentDb)
        return (db - kUpperSegmentDb) * kUpperPositionPerDb + kUpperSegmentStart;
    if (db >= kLowerSegmentDb)
        return (db - kLowerSegmentDb) * kLowerPositionPerDb;
    return db;
}
