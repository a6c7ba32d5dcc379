#include "parameters/UserUnits.h"

#include <algorithm>
#include <iterator>

#include "parameters/GainLaw.h"

namespace
{
constexpr const char* kOutputScaleNames[] = {"PK", "K12", "K14", "K20"};
constexpr const char* kWordLengthNames[] = {"64 bit", "32 bit", "24 bit", "20 bit",
                                            "16 bit", "12 bit", "8 bit"};
constexpr int kOutputScaleCount = static_cast<int>(std::size(kOutputScaleNames));
constexpr int kWordLengthCount = static_cast<int>(std::size(kWordLengthNames));
// The scale buttons send a quarter per step: PK 0, K12 0.25, K14 0.5, K20 0.75.
constexpr float kTopOutputScale = 0.75f;
constexpr float kTopMenuPosition = kWordLengthCount - 1;
static_assert(kTopMenuPosition == kLastDitheringPosition, "one entry per menu position");

constexpr UserUnitInfo continuous(const char* symbol, const char* unit)
{
    return {symbol, unit, UnitScale::displayRange, ValueKind::continuous, 1.0f, 0.0, nullptr, 0};
}
constexpr UserUnitInfo gainLaw(const char* symbol, double offsetDb)
{
    return {symbol, "db", UnitScale::gainLawDb, ValueKind::continuous, 1.0f, offsetDb, nullptr, 0};
}
constexpr UserUnitInfo toggle(const char* symbol)
{
    return {symbol, nullptr, UnitScale::displayRange, ValueKind::toggled, 1.0f, 0.0, nullptr, 0};
}
} // namespace

const UserUnitInfo kUserUnits[kNumParams] = {
    gainLaw("output_trim", 0.0),
    {"output_scale", nullptr, UnitScale::displayRange, ValueKind::enumeration, kTopOutputScale, 0.0,
     kOutputScaleNames, kOutputScaleCount},
    toggle("bypass"),
    gainLaw("input_drive", gain_law::kDriveOffsetDb),
    continuous("side_gain", "pc"),
    continuous("xcorr_time", "ms"),
    continuous("xcorr_threshold", nullptr),
    continuous("env_hysteresis", "ms"),
    continuous("env_release", "ms"),
    continuous("stereo_link", "pc"),
    continuous("softclip_thresh", "db"),
    continuous("softclip_amount", "pc"),
    continuous("rms_attack", "ms"),
    continuous("rms_release", "ms"),
    continuous("rms_threshold", "db"),
    toggle("inter_sample_peak"),
    {"dithering", nullptr, UnitScale::menuPosition, ValueKind::enumeration, kTopMenuPosition, 0.0,
     kWordLengthNames, kWordLengthCount},
};

double userValueOf(int index, float parameterValue)
{
    const UserUnitInfo& unit = kUserUnits[index];
    if (unit.kind == ValueKind::toggled)
        return switchIsOn(parameterValue) ? 1.0 : 0.0;
    switch (unit.scale)
    {
    case UnitScale::gainLawDb:
        return gain_law::positionToDb(parameterValue) + unit.offsetDb;
    case UnitScale::displayRange:
    {
        const double low = kParamRange[index].low;
        const double high = kParamRange[index].high;
        return low + parameterValue * (high - low);
    }
    case UnitScale::menuPosition:
        break;
    }
    return parameterValue;
}

float parameterValueOf(int index, float userValue)
{
    const UserUnitInfo& unit = kUserUnits[index];
    // A toggle is on above zero for every LV2 host, not only above one half.
    if (unit.kind == ValueKind::toggled)
        return userValue > 0.0f ? 1.0f : 0.0f;
    double value = userValue;
    switch (unit.scale)
    {
    case UnitScale::gainLawDb:
        value = gain_law::dbToPosition(userValue - unit.offsetDb);
        break;
    case UnitScale::displayRange:
    {
        const double low = kParamRange[index].low;
        const double high = kParamRange[index].high;
        value = (userValue - low) / (high - low);
        break;
    }
    case UnitScale::menuPosition:
        break;
    }
    // Held in the parameter's terms: the user range is where the value is 0..topValue.
    return static_cast<float>(std::clamp(value, 0.0, static_cast<double>(unit.topValue)));
}

double userMinimum(int index)
{
    return userValueOf(index, 0.0f);
}

double userMaximum(int index)
{
    return userValueOf(index, kUserUnits[index].topValue);
}
