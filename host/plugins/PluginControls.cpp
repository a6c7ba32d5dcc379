#include "host/plugins/PluginControls.h"

#include "host/HostError.h"
#include "host/plugins/PluginInstance.h"
#include "parameters/Parameters.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace
{
// Typed figures round at their last digit: -72.04 dB is still the bottom of the trim.
constexpr double kUserRangeSlack = 0.05;

std::string trimmed(const std::string& text)
{
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

// Plug-ins pad names to fixed widths and users type them in any case.
std::string nameKey(const std::string& name)
{
    std::string key = trimmed(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

bool isWholeNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// By name (case and padding ignored) or, where the plug-in has them, by symbol (exact).
int findParam(const PluginInstance& plugin, const std::string& name)
{
    const std::string key = nameKey(name);
    for (int param = 0; param < plugin.numParams(); ++param)
        if (nameKey(plugin.paramName(param)) == key)
            return param;
    for (int param = 0; param < plugin.numParams(); ++param)
        if (!plugin.paramSymbol(param).empty() && plugin.paramSymbol(param) == trimmed(name))
            return param;
    // Our editions answer to the same symbols in every format.
    for (int param = 0; param < plugin.numParams(); ++param)
    {
        const int id = plugin.varnholtParamId(param);
        if (id >= 0 && trimmed(name) == kUserUnits[id].symbol)
            return param;
    }
    throw HostError("unknown parameter '" + name + "' (see --list)");
}

std::string number(float value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// "-30 to 0 dB"
std::string rangeText(const PluginInstance& plugin, int param)
{
    const std::string label = trimmed(plugin.paramLabel(param));
    return number(plugin.paramMinimum(param)) + " to " + number(plugin.paramMaximum(param)) +
           (label.empty() ? "" : " " + label);
}
// What our edition's parameter takes, as --list and the errors show it.
std::string userRangeText(int id)
{
    const UserUnitInfo& unit = kUserUnits[id];
    if (unit.kind == ValueKind::toggled)
        return "on or off";
    if (unit.kind == ValueKind::enumeration)
    {
        std::string entries;
        for (int entry = 0; entry < unit.scalePointCount; ++entry)
            entries += (entry > 0 ? ", " : "") + std::string(unit.scalePoints[entry]);
        return entries;
    }
    return userValueText(id, 0.0f) + " to " + userValueText(id, unit.topValue);
}

// The host value of an our edition's parameter named in the units a user reads.
float hostValueOfText(const PluginInstance& plugin, int param, int id, const std::string& name,
                      const std::string& valueText)
{
    const std::optional<float> value = parameterValueFromText(id, valueText);
    // A number beyond the range is refused, not held at its end: the user meant something else.
    const UserUnitInfo& unit = kUserUnits[id];
    char* end = nullptr;
    const double typed = std::strtod(valueText.c_str(), &end);
    const bool outside = unit.kind == ValueKind::continuous && end != valueText.c_str() &&
                         (typed < userMinimum(id) - kUserRangeSlack ||
                          typed > userMaximum(id) + kUserRangeSlack);
    if (!value || outside)
    {
        throw HostError("--set " + name + "=" + valueText + ": " + trimmed(plugin.paramName(param)) +
                        " takes " + userRangeText(id) +
                        " (--set-normalised takes the host's 0..1 value)");
    }
    return plugin.paramScale() == ParamScale::PortUnits ? static_cast<float>(userValueOf(id, *value))
                                                        : *value;
}
} // namespace

void selectProgram(PluginInstance& plugin, const std::string& numberOrName)
{
    if (isWholeNumber(numberOrName))
    {
        const long program = std::strtol(numberOrName.c_str(), nullptr, 10);
        if (program >= plugin.numPrograms())
            throw HostError("program " + numberOrName + " does not exist (the plug-in has " +
                            std::to_string(plugin.numPrograms()) + ", numbered from 0)");
        plugin.setProgram(static_cast<int>(program));
        return;
    }
    const std::string key = nameKey(numberOrName);
    for (int program = 0; program < plugin.numPrograms(); ++program)
    {
        if (nameKey(plugin.programName(program)) == key)
        {
            plugin.setProgram(program);
            return;
        }
    }
    throw HostError("unknown program '" + numberOrName + "' (see --list)");
}

void applySetting(PluginInstance& plugin, const std::string& setting, SettingScale scale)
{
    const std::size_t equals = setting.rfind('=');
    const char* option = scale == SettingScale::UserUnits    ? "--set"
                         : scale == SettingScale::Normalised ? "--set-normalised"
                                                             : "--set-raw";
    if (equals == std::string::npos)
        throw HostError(std::string(option) + " needs NAME=VALUE, not '" + setting + "'");
    const std::string name = setting.substr(0, equals);
    const std::string valueText = trimmed(setting.substr(equals + 1));
    const int param = findParam(plugin, name);
    const int id = plugin.varnholtParamId(param);
    if (scale == SettingScale::UserUnits && id >= 0)
    {
        plugin.setParam(param, hostValueOfText(plugin, param, id, name, valueText));
        return;
    }
    if (scale == SettingScale::Normalised && plugin.paramScale() != ParamScale::Normalised)
    {
        throw HostError("--set-normalised " + name +
                        ": this plug-in takes values in its ports' units; use --set");
    }
    const bool portUnits = plugin.paramScale() == ParamScale::PortUnits;

    char* end = nullptr;
    const double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || *end != '\0')
    {
        throw HostError(
            "'" + valueText + "' is not a number (" + option + " " + name + "=VALUE takes " +
            (portUnits ? "a value in the parameter's units" : "a normalised value from 0 to 1") +
            ")");
    }
    if (scale == SettingScale::Raw)
    {
        if (!std::isfinite(value))
            throw HostError("--set-raw " + name + "=" + valueText + ": the value must be finite");
        plugin.setParam(param, static_cast<float>(value));
        return;
    }
    const double top = id >= 0 ? storedValueLimit(id) : 1.0;
    if (!portUnits && !(value >= 0.0 && value <= top))
    {
        throw HostError(std::string(option) + " " + name + "=" + valueText +
                        ": the value is normalised and must lie from 0 to " + number(top));
    }
    if (portUnits && !(value >= plugin.paramMinimum(param) && value <= plugin.paramMaximum(param)))
    {
        throw HostError("--set " + name + "=" + valueText + ": " +
                        trimmed(plugin.paramName(param)) + " takes " + rangeText(plugin, param) +
                        " (LV2 values are in the port's units; --set-raw skips this check)");
    }
    plugin.setParam(param, static_cast<float>(value));
}

std::string formatPluginChoices(const std::vector<std::string>& uris)
{
    std::ostringstream listing;
    listing << "Plug-ins in this bundle (choose one with --uri):\n";
    for (const std::string& uri : uris)
        listing << "  " << uri << "\n";
    return listing.str();
}

std::string nameKeyOf(const std::string& name)
{
    return nameKey(name);
}

int findParameter(const PluginInstance& plugin, const std::string& name)
{
    const std::string key = nameKey(name);
    for (int param = 0; param < plugin.numParams(); ++param)
        if (nameKey(plugin.paramName(param)) == key)
            return param;
    return -1;
}

std::string formatPluginListing(const PluginInstance& plugin)
{
    std::ostringstream listing;
    listing << "Plug-in: " << plugin.name() << "\n\nPrograms:\n";
    if (plugin.numPrograms() == 0)
        listing << "  (none)\n";
    for (int program = 0; program < plugin.numPrograms(); ++program)
        listing << "  " << program << "  " << trimmed(plugin.programName(program)) << "\n";
    if (plugin.numParams() > 0 && plugin.varnholtParamId(0) >= 0)
    {
        listing << "\nParameters (name [symbol]: value (what --set takes)):\n";
        for (int param = 0; param < plugin.numParams(); ++param)
        {
            const int id = plugin.varnholtParamId(param);
            if (id < 0)
                continue;
            const float value = plugin.paramScale() == ParamScale::PortUnits
                                    ? parameterValueOf(id, plugin.paramValue(param))
                                    : plugin.paramValue(param);
            listing << "  " << trimmed(plugin.paramName(param)) << " [" << kUserUnits[id].symbol
                    << "]: " << userValueText(id, value) << " (" << userRangeText(id) << ")\n";
        }
        return listing.str();
    }
    listing << (plugin.paramScale() == ParamScale::PortUnits
                    ? "\nParameters (name [symbol]: value unit (range), values in port units):\n"
                    : "\nParameters (name: value label):\n");
    for (int param = 0; param < plugin.numParams(); ++param)
    {
        const std::string label = trimmed(plugin.paramLabel(param));
        const std::string symbol = plugin.paramSymbol(param);
        listing << "  " << trimmed(plugin.paramName(param))
                << (symbol.empty() ? "" : " [" + symbol + "]") << ": "
                << trimmed(plugin.paramDisplay(param)) << (label.empty() ? "" : " " + label);
        if (plugin.paramScale() == ParamScale::PortUnits)
            listing << " (" << rangeText(plugin, param) << ")";
        listing << "\n";
    }
    return listing.str();
}
