// Choosing programs and parameters by the names a plug-in gives them.
#pragma once

#include <string>

class PluginInstance;

// Selects a program by number (from 0) or by name; throws HostError if there is none.
void selectProgram(PluginInstance& plugin, const std::string& numberOrName);

// Applies NAME=VALUE: the parameter found by name (case and padding ignored), set to a
// normalised VALUE from 0 to 1 (any finite VALUE when not normalisedOnly); throws HostError on
// a malformed setting or unknown name.
void applySetting(PluginInstance& plugin, const std::string& setting, bool normalisedOnly = true);

// A parameter or program name as it is compared: case and padding ignored.
std::string nameKeyOf(const std::string& name);

// The index of the parameter with this name (case and padding ignored), or -1.
int findParameter(const PluginInstance& plugin, const std::string& name);

// Every program, and every parameter with its name, display text and label.
std::string formatPluginListing(const PluginInstance& plugin);
