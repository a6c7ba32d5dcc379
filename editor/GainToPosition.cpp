#include "editor/GainToPosition.h"

#include "parameters/GainLaw.h"

#include <cmath>

namespace
{
constexpr float kSilenceOffset = 1e-30f; // keeps the logarithm of silence finite
// The shared law rounded to float once, the precision the meters are computed in.
constexpr float kFullScaleGain = static_cast<float>(gain_law::kMeterFullScaleGain);
constexpr float kUpperSegmentDb = static_cast<float>(gain_law::kKneeDb);
constexpr float kLowerSegmentDb = static_cast<float>(gain_law::kBottomDb);
constexpr float kUpperPositionPerDb = static_cast<float>(1.0 / gain_law::kUpperDbPerUnit);
constexpr float kLowerPositionPerDb = static_cast<float>(1.0 / gain_law::kLowerDbPerUnit);
constexpr float kUpperSegmentStart = static_cast<float>(gain_law::kKneePosition);
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
