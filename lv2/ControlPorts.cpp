#include "lv2/ControlPorts.h"

#include <algorithm>
#include <iterator>

#include "engine/EngineConstants.h"
#include "engine/GainLaw.h"

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
// 20 log10 of the engine's x10 on the drive factor.
constexpr double kDriveScaleDb = 20.0;
static_assert(engine_constants::kInputGainScale == 10.0f, "kDriveScaleDb is 20 log10 of it");

constexpr ControlPortInfo continuous(const char* symbol, const char* unit)
{
    return {symbol, unit, PortScale::displayRange, PortKind::continuous, 1.0f, 0.0, nullptr, 0};
}
constexpr ControlPortInfo gainLaw(const char* symbol, double offsetDb)
{
    return {symbol, "db", PortScale::gainLawDb, PortKind::continuous, 1.0f, offsetDb, nullptr, 0};
}
constexpr ControlPortInfo toggle(const char* symbol)
{
    return {symbol, nullptr, PortScale::displayRange, PortKind::toggled, 1.0f, 0.0, nullptr, 0};
}
} // namespace

const ControlPortInfo kControlPorts[kNumParams] = {
    gainLaw("output_trim", 0.0),
    {"output_scale", nullptr, PortScale::displayRange, PortKind::enumeration, kTopOutputScale, 0.0,
     kOutputScaleNames, kOutputScaleCount},
    toggle("bypass"),
    gainLaw("input_drive", kDriveScaleDb),
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
    {"dithering", nullptr, PortScale::menuPosition, PortKind::enumeration, kTopMenuPosition, 0.0,
     kWordLengthNames, kWordLengthCount},
};

double portValueOf(int index, float parameterValue)
{
    const ControlPortInfo& port = kControlPorts[index];
    if (port.kind == PortKind::toggled)
        return switchIsOn(parameterValue) ? 1.0 : 0.0;
    switch (port.scale)
    {
    case PortScale::gainLawDb:
        return gain_law::positionToDb(parameterValue) + port.offsetDb;
    case PortScale::displayRange:
    {
        const double low = kParamRange[index].low;
        const double high = kParamRange[index].high;
        return low + parameterValue * (high - low);
    }
    case PortScale::menuPosition:
        break;
    }
    return parameterValue;
}

float parameterValueOf(int index, float portValue)
{
    const ControlPortInfo& port = kControlPorts[index];
    // A toggle is on above zero for every LV2 host, not only above one half.
    if (port.kind == PortKind::toggled)
        return portValue > 0.0f ? 1.0f : 0.0f;
    double value = portValue;
    switch (port.scale)
    {
    case PortScale::gainLawDb:
        value = gain_law::dbToPosition(portValue - port.offsetDb);
        break;
    case PortScale::displayRange:
    {
        const double low = kParamRange[index].low;
        const double high = kParamRange[index].high;
        value = (portValue - low) / (high - low);
        break;
    }
    case PortScale::menuPosition:
        break;
    }
    // Held in the parameter's terms: the port range is where the value is 0..topValue.
    return static_cast<float>(std::clamp(value, 0.0, static_cast<double>(port.topValue)));
}

double portMinimum(int index)
{
    return portValueOf(index, 0.0f);
}

double portMaximum(int index)
{
    return portValueOf(index, kControlPorts[index].topValue);
}
