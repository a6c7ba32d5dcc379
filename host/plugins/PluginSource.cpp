#include "host/plugins/PluginSource.h"

#include "host/plugins/ClapPluginInstance.h"
#include "host/plugins/Lv2PluginInstance.h"
#include "host/plugins/Lv2World.h"
#include "host/plugins/PluginLibrary.h"
#include "host/plugins/Vst3Module.h"
#include "host/plugins/Vst3PluginInstance.h"
#include "host/plugins/VstPluginInstance.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace fs = std::filesystem;

namespace
{
constexpr char kManifestName[] = "manifest.ttl";
constexpr char kVstSuffix[] = ".so";
constexpr char kClapSuffix[] = ".clap";
constexpr char kVst3Suffix[] = ".vst3";
constexpr std::size_t kChoicesNamed = 8; // more would not fit one line of an error

class VstPluginSource final : public PluginSource
{
  public:
    explicit VstPluginSource(VstPluginMainProc entry) : entry(entry) {}
    std::unique_ptr<PluginInstance> instantiate(double sampleRateHz,
                                                int maxBlockFrames) const override
    {
        return std::make_unique<VstPluginInstance>(entry, sampleRateHz, maxBlockFrames);
    }

  private:
    VstPluginMainProc entry;
};

class Vst3PluginSource final : public PluginSource
{
  public:
    explicit Vst3PluginSource(Vst3EffectClass effect) : effect(std::move(effect)) {}
    std::unique_ptr<PluginInstance> instantiate(double sampleRateHz,
                                                int maxBlockFrames) const override
    {
        return std::make_unique<Vst3PluginInstance>(effect, sampleRateHz, maxBlockFrames);
    }

  private:
    Vst3EffectClass effect;
};

class Lv2PluginSource final : public PluginSource
{
  public:
    Lv2PluginSource(std::shared_ptr<Lv2World> world, const LilvPlugin* plugin)
        : world(std::move(world)), plugin(plugin)
    {
    }
    std::unique_ptr<PluginInstance> instantiate(double sampleRateHz,
                                                int maxBlockFrames) const override
    {
        const std::lock_guard<std::mutex> lock(world->access());
        return std::make_unique<Lv2PluginInstance>(world, plugin, sampleRateHz, maxBlockFrames);
    }

  private:
    std::shared_ptr<Lv2World> world;
    const LilvPlugin* plugin;
};

class ClapPluginSource final : public PluginSource
{
  public:
    ClapPluginSource(ClapPluginLibrary library, std::string pluginId)
        : library(std::move(library)), pluginId(std::move(pluginId))
    {
    }
    std::unique_ptr<PluginInstance> instantiate(double sampleRateHz,
                                                int maxBlockFrames) const override
    {
        return std::make_unique<ClapPluginInstance>(library, pluginId, sampleRateHz,
                                                    maxBlockFrames);
    }

  private:
    ClapPluginLibrary library;
    std::string pluginId;
};

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Only URIs: a plug-in's name would cost reading its whole description, for each of them.
[[noreturn]] void refuseUnchosen(const std::string& folder,
                                 const std::vector<const LilvPlugin*>& plugins)
{
    std::vector<std::string> uris;
    std::string named;
    for (const LilvPlugin* plugin : plugins)
    {
        uris.push_back(lv2NodeText(lilv_plugin_get_uri(plugin)));
        if (uris.size() <= kChoicesNamed)
            named += (uris.size() > 1 ? ", " : "") + uris.back();
    }
    if (uris.size() > kChoicesNamed)
        named += " and " + std::to_string(uris.size() - kChoicesNamed) + " more";
    const std::string message =
        "the LV2 bundle " + folder + " holds " + std::to_string(uris.size()) +
        " plug-ins; choose one with --uri (--list shows them all): " + named;
    throw PluginChoiceNeeded(message, std::move(uris));
}

std::unique_ptr<PluginSource> openLv2Bundle(const std::string& folder, const std::string& uri)
{
    auto world = std::make_shared<Lv2World>();
    world->loadBundle(folder);
    const std::vector<const LilvPlugin*> plugins = world->plugins();
    if (plugins.empty())
        throw HostError("the LV2 bundle " + folder + " holds no plug-in");
    if (!uri.empty())
    {
        const LilvPlugin* plugin = world->findPlugin(uri);
        if (plugin == nullptr)
            throw HostError("the LV2 bundle " + folder + " holds no plug-in with the URI " + uri);
        return std::make_unique<Lv2PluginSource>(world, plugin);
    }
    if (plugins.size() > 1)
        refuseUnchosen(folder, plugins);
    return std::make_unique<Lv2PluginSource>(world, plugins.front());
}

// --uri chooses a plug-in of a library that holds several by its CLAP id.
std::unique_ptr<PluginSource> openClapSource(const std::string& path, const std::string& id)
{
    ClapPluginLibrary library = openClapLibrary(path);
    const std::vector<std::string>& ids = library.pluginIds;
    if (!id.empty())
    {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            throw HostError("the CLAP library " + path + " holds no plug-in with the id " + id);
        return std::make_unique<ClapPluginSource>(std::move(library), id);
    }
    if (ids.size() > 1)
    {
        std::string named;
        for (std::size_t i = 0; i < ids.size() && i < kChoicesNamed; ++i)
            named += (i > 0 ? ", " : "") + ids[i];
        throw PluginChoiceNeeded("the CLAP library " + path + " holds " +
                                     std::to_string(ids.size()) +
                                     " plug-ins; choose one with --uri: " + named,
                                 ids);
    }
    const std::string only = ids.front();
    return std::make_unique<ClapPluginSource>(std::move(library), only);
}

std::unique_ptr<PluginSource> openLv2Uri(const std::string& uri)
{
    auto world = std::make_shared<Lv2World>();
    world->loadInstalled();
    const LilvPlugin* plugin = world->findPlugin(uri);
    if (plugin == nullptr)
        throw HostError("no LV2 plug-in has the URI " + uri + " (searched LV2_PATH " +
                        lv2SearchPath() + ")");
    return std::make_unique<Lv2PluginSource>(world, plugin);
}
} // namespace

std::unique_ptr<PluginSource> openPluginSource(const std::string& plugin, const std::string& uri)
{
    std::error_code error;
    const std::string trimmed =
        plugin.size() > 1 && plugin.back() == '/' ? plugin.substr(0, plugin.size() - 1) : plugin;
    if (endsWith(trimmed, kVst3Suffix))
    {
        if (!uri.empty())
            throw HostError("--uri chooses among the plug-ins of an LV2 bundle folder, and " +
                            plugin + " is a VST3 bundle");
        return std::make_unique<Vst3PluginSource>(openVst3Bundle(trimmed));
    }
    if (fs::is_directory(plugin, error))
    {
        if (!fs::is_regular_file(fs::path(plugin) / kManifestName, error))
            throw HostError("the folder " + plugin + " holds no " + kManifestName +
                            ", so it is no LV2 bundle");
        return openLv2Bundle(plugin, uri);
    }
    if (endsWith(plugin, kClapSuffix))
        return openClapSource(plugin, uri);
    if (!uri.empty())
        throw HostError("--uri chooses among the plug-ins of an LV2 bundle folder or a CLAP "
                        "library, and " + plugin + " is neither");
    const bool lv2Uri = plugin.find(':') != std::string::npos && !endsWith(plugin, kVstSuffix) &&
                        !fs::exists(plugin, error);
    if (lv2Uri)
        return openLv2Uri(plugin);
    return std::make_unique<VstPluginSource>(loadPluginEntry(plugin));
}
