#pragma once

// The two-segment law shared by "Output trim", "Input drive", their faders and the meters: the
// first seventh of the travel spans -72..-36 dB, the other six sevenths -36..0 dB. Positions are
// the normalised parameter values 0..1.
namespace gain_law
{
constexpr double kBottomDb = -72.0;
constexpr double kKneeDb = -36.0;
constexpr double kTopDb = 0.0;
constexpr double kKneePosition = 1.0 / 7.0;
constexpr double kLowerDbPerUnit = (kKneeDb - kBottomDb) / kKneePosition;        // 252 dB
constexpr double kUpperDbPerUnit = (kTopDb - kKneeDb) / (1.0 - kKneePosition); // 42 dB
// The meters read full from this linear gain up (about -0.09 dB), so that a limited signal's
// top segment lights.
constexpr double kMeterFullScaleGain = 0.99;
// "Input drive" applies ten times the law's factor, so it reads -52..+20 dB with its 0 dB at
// unity gain.
constexpr float kDriveFactorScale = 10.0f;
constexpr double kDriveOffsetDb = 20.0; // 20 log10 of kDriveFactorScale

// dB of a position; positions outside 0..1 extend the nearer segment.
constexpr double positionToDb(double position)
{
    return position >= kKneePosition ? kKneeDb + (position - kKneePosition) * kUpperDbPerUnit
                                     : kBottomDb + position * kLowerDbPerUnit;
}

// The position of a level in dB, the inverse of positionToDb.
constexpr double dbToPosition(double db)
{
    return db >= kKneeDb ? kKneePosition + (db - kKneeDb) / kUpperDbPerUnit
                         : (db - kBottomDb) / kLowerDbPerUnit;
}
} // namespace gain_law
