// Choosing programs and parameters by the names a plug-in gives them.
#pragma once

#include <string>
#include <vector>

class PluginInstance;

// Selects a program by number (from 0) or by name; throws HostError if there is none.
void selectProgram(PluginInstance& plugin, const std::string& numberOrName);

// Applies NAME=VALUE to the parameter found by name (case and padding ignored) or symbol.
// VALUE is read as the plug-in reads it: normalised from 0 to 1 (VST 2.4) or in the
// parameter's units within its range (LV2); when not `checked` any finite VALUE goes through.
// Throws HostError on a malformed setting, an unknown name or a value out of range.
void applySetting(PluginInstance& plugin, const std::string& setting, bool checked = true);

// A parameter or program name as it is compared: case and padding ignored.
std::string nameKeyOf(const std::string& name);

// The index of the parameter with this name (case and padding ignored), or -1.
int findParameter(const PluginInstance& plugin, const std::string& name);

// Every program, and every parameter with its name, display text and label.
std::string formatPluginListing(const PluginInstance& plugin);

// The plug-ins of a bundle to choose from, by URI.
std::string formatPluginChoices(const std::vector<std::string>& uris);
