// Choosing programs and parameters by the names a plug-in gives them.
#pragma once

#include <string>
#include <vector>

class PluginInstance;

// Selects a program by number (from 0) or by name; throws HostError if there is none.
void selectProgram(PluginInstance& plugin, const std::string& numberOrName);

// How a setting's VALUE is read.
enum class SettingScale
{
    // --set: our editions' parameters in the units a user reads ("-3 dB", "16bit", "K14", on);
    // other plug-ins' as they read them, normalised 0..1 (VST 2.4) or in the port's units (LV2).
    UserUnits,
    // --set-normalised: the VST 2.4 host value 0..1 (our "Dithering": its menu position).
    Normalised,
    // --set-raw: any finite host value, unchecked.
    Raw,
};

// Applies NAME=VALUE to the parameter found by name (case and padding ignored) or symbol.
// Throws HostError on a malformed setting, an unknown name or a value out of range.
void applySetting(PluginInstance& plugin, const std::string& setting,
                  SettingScale scale = SettingScale::UserUnits);

// A parameter or program name as it is compared: case and padding ignored.
std::string nameKeyOf(const std::string& name);

// The index of the parameter with this name (case and padding ignored), or -1.
int findParameter(const PluginInstance& plugin, const std::string& name);

// Every program, and every parameter with its name, display text and label; our editions'
// in the units a user reads, with their ranges and menu entries.
std::string formatPluginListing(const PluginInstance& plugin);

// The plug-ins of a bundle to choose from, by URI.
std::string formatPluginChoices(const std::vector<std::string>& uris);
