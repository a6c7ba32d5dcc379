// The plug-in named on the command line, loaded once and instantiated as often as needed.
#pragma once

#include "host/HostError.h"
#include "host/plugins/PluginInstance.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class PluginSource
{
  public:
    virtual ~PluginSource() = default;
    // Throws HostError when the plug-in refuses to run here.
    virtual std::unique_ptr<PluginInstance> instantiate(double sampleRateHz,
                                                        int maxBlockFrames) const = 0;
};

// An LV2 bundle or CLAP library holding several plug-ins, named without --uri: the URIs (CLAP
// ids) to choose from.
struct PluginChoiceNeeded : HostError
{
    PluginChoiceNeeded(const std::string& message, std::vector<std::string> pluginUris)
        : HostError(message), uris(std::move(pluginUris))
    {
    }
    std::vector<std::string> uris;
};

// Reads --plugin's argument: a path ending in .vst3 is a VST3 bundle (its first audio effect
// class); a path ending in .so is a VST 2.4 library; one ending in .clap a CLAP library (`uri`
// chooses among its plug-ins by id); a folder holding
// manifest.ttl is an LV2 bundle (`uri` chooses among its plug-ins); a string with ':' that is
// no existing path is an LV2 plug-in URI looked up on LV2_PATH; any other path is tried as a
// VST 2.4 library. Throws HostError (PluginChoiceNeeded for a bundle that needs --uri).
std::unique_ptr<PluginSource> openPluginSource(const std::string& plugin, const std::string& uri);
