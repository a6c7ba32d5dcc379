#include "host/PluginControls.h"

#include "host/HostError.h"
#include "host/PluginInstance.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace
{
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
        if (nameKey(plugin.programName(program)) == key)
        {
            plugin.setProgram(program);
            return;
        }
    throw HostError("unknown program '" + numberOrName + "' (see --list)");
}

void applySetting(PluginInstance& plugin, const std::string& setting, bool normalisedOnly)
{
    const std::size_t equals = setting.rfind('=');
    if (equals == std::string::npos)
        throw HostError("--set needs NAME=VALUE, not '" + setting + "'");
    const std::string name = setting.substr(0, equals);
    const std::string valueText = trimmed(setting.substr(equals + 1));

    char* end = nullptr;
    const double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || *end != '\0')
        throw HostError("'" + valueText + "' is not a number (--set " + name +
                        "=VALUE takes a normalised value from 0 to 1)");
    if (!normalisedOnly && !std::isfinite(value))
        throw HostError("--set-raw " + name + "=" + valueText + ": the value must be finite");
    if (normalisedOnly && !(value >= 0.0 && value <= 1.0))
        throw HostError("--set " + name + "=" + valueText +
                        ": the value is normalised and must lie from 0 to 1");

    const std::string key = nameKey(name);
    for (int param = 0; param < plugin.numParams(); ++param)
        if (nameKey(plugin.paramName(param)) == key)
        {
            plugin.setParam(param, static_cast<float>(value));
            return;
        }
    throw HostError("unknown parameter '" + name + "' (see --list)");
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
    listing << "\nParameters (name: value label):\n";
    for (int param = 0; param < plugin.numParams(); ++param)
    {
        const std::string label = trimmed(plugin.paramLabel(param));
        listing << "  " << trimmed(plugin.paramName(param)) << ": "
                << trimmed(plugin.paramDisplay(param)) << (label.empty() ? "" : " " + label)
                << "\n";
    }
    return listing.str();
}
