// An LV2 plug-in's presets, the programs of its edition: found through lilv, applied as lilv
// states.
#pragma once

#include "host/plugins/Lv2World.h"

#include <functional>
#include <string>
#include <vector>

struct Lv2Preset
{
    std::string uri;
    std::string label; // the URI when the preset gives no label
};

// Every preset that applies to the plug-in among the loaded bundles, in the order the bundle
// numbers them where its URIs end in distinct numbers, else by label (then URI), so that their
// numbers stay the same from run to run.
std::vector<Lv2Preset> findPresets(Lv2World& world, const LilvPlugin* plugin);

// Called with a port symbol and value for each port value the preset holds.
using Lv2PortValueSink = std::function<void(const std::string& symbol, float value)>;

// Restores the preset into each instance (the plug-in's own state too, where it keeps one) and
// hands its port values to `setPortValue`; throws HostError when the preset cannot be read.
void applyPreset(Lv2World& world, const Lv2Preset& preset,
                 const std::vector<LilvInstance*>& instances, const LV2_Feature* const* features,
                 const Lv2PortValueSink& setPortValue);
