#include "clapplugin/ClapParameterInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "parameters/Presets.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"

namespace
{
bool isParamId(clap_id id)
{
    return id < static_cast<clap_id>(kNumParams);
}

// The 15-character names without their padding.
void copyTrimmedName(int index, char* name)
{
    std::size_t length = std::strlen(kParamNameTable[index]);
    while (length > 0 && kParamNameTable[index][length - 1] == ' ')
        --length;
    std::memcpy(name, kParamNameTable[index], length);
    name[length] = '\0';
}
} // namespace

bool describeParameter(std::uint32_t index, clap_param_info& info)
{
    if (!isParamId(index))
        return false;
    const int i = static_cast<int>(index);
    const UserUnitInfo& unit = kUserUnits[i];
    info = {};
    info.id = index;
    info.flags = kClapParamIsAutomatable;
    if (unit.kind != ValueKind::continuous)
        info.flags |= kClapParamIsStepped;
    if (unit.kind == ValueKind::enumeration)
        info.flags |= kClapParamIsEnum;
    if (i == kBypass)
        info.flags |= kClapParamIsBypass;
    copyTrimmedName(i, info.name);
    info.min_value = userMinimum(i);
    info.max_value = userMaximum(i);
    constexpr int defaultProgram = 0;
    info.default_value = plainValueOf(i, kPresetTable[defaultProgram][i]);
    return true;
}

double plainValueOf(int index, float parameterValue)
{
    const double value = userValueOf(index, parameterValue);
    // Stepped values are whole numbers for CLAP hosts.
    return kUserUnits[index].kind == ValueKind::continuous ? value : std::round(value);
}

std::optional<float> parameterValueOfPlain(int index, double plainValue)
{
    if (!std::isfinite(plainValue))
        return std::nullopt;
    const UserUnitInfo& unit = kUserUnits[index];
    // A toggle is on from one half, as a host's stepped value rounds.
    if (unit.kind == ValueKind::toggled)
        return plainValue >= 0.5 ? 1.0f : 0.0f;
    const double held = std::fmax(userMinimum(index), std::fmin(userMaximum(index), plainValue));
    const double user = unit.kind == ValueKind::enumeration ? std::round(held) : held;
    return parameterValueOf(index, static_cast<float>(user));
}

bool plainValueText(clap_id id, double plainValue, char* display, std::uint32_t size)
{
    if (!isParamId(id) || display == nullptr || size == 0)
        return false;
    const int index = static_cast<int>(id);
    const std::optional<float> value = parameterValueOfPlain(index, plainValue);
    if (!value)
        return false;
    const std::string text = userValueText(index, *value);
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(display, text.data(), length);
    display[length] = '\0';
    return true;
}

std::optional<double> plainValueFromText(clap_id id, const char* text)
{
    if (!isParamId(id) || text == nullptr)
        return std::nullopt;
    const int index = static_cast<int>(id);
    const std::optional<float> value = parameterValueFromText(index, text);
    if (!value)
        return std::nullopt;
    return plainValueOf(index, *value);
}
