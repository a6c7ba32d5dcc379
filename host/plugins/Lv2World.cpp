#include "host/plugins/Lv2World.h"

#include "host/HostError.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/units/units.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace
{
// lilv's own search path on Linux when LV2_PATH is unset.
constexpr char kDefaultLv2Path[] = "~/.lv2:/usr/local/lib/lv2:/usr/lib/lv2";
constexpr char kIsSideChainUri[] = LV2_CORE_PREFIX "isSideChain";
constexpr char kUnitsBundleName[] = "units.lv2";
constexpr char kRdfsLabelUri[] = "http://www.w3.org/2000/01/rdf-schema#label";
} // namespace

Lv2Vocabulary::Lv2Vocabulary(LilvWorld* world)
{
    const auto node = [world](const char* uri) { return Lv2Node(lilv_new_uri(world, uri)); };
    inputPort = node(LV2_CORE__InputPort);
    outputPort = node(LV2_CORE__OutputPort);
    audioPort = node(LV2_CORE__AudioPort);
    controlPort = node(LV2_CORE__ControlPort);
    cvPort = node(LV2_CORE__CVPort);
    atomPort = node(LV2_ATOM__AtomPort);
    connectionOptional = node(LV2_CORE__connectionOptional);
    isSideChain = node(kIsSideChainUri);
    latency = node(LV2_CORE__latency);
    reportsLatency = node(LV2_CORE__reportsLatency);
    toggled = node(LV2_CORE__toggled);
    integer = node(LV2_CORE__integer);
    unit = node(LV2_UNITS__unit);
    unitSymbol = node(LV2_UNITS__symbol);
    label = node(kRdfsLabelUri);
    preset = node(LV2_PRESETS__Preset);
    minimumSize = node(LV2_RESIZE_PORT__minimumSize);
}

Lv2World::Lv2World() : world(lilv_world_new())
{
    if (world == nullptr)
        throw HostError("cannot set up the LV2 library (lilv)");
    words = std::make_unique<Lv2Vocabulary>(world);
}

Lv2World::~Lv2World()
{
    words.reset();
    lilv_world_free(world);
}

void Lv2World::loadInstalled()
{
    lilv_world_load_all(world);
    loadUnits();
}

void Lv2World::loadBundle(const std::string& folder)
{
    // lilv names bundles by file URI, with the trailing slash of a folder.
    const std::string absolute = std::filesystem::absolute(folder).lexically_normal().string();
    const std::string withSlash = absolute.back() == '/' ? absolute : absolute + "/";
    const Lv2Node bundle(lilv_new_file_uri(world, nullptr, withSlash.c_str()));
    lilv_world_load_bundle(world, bundle.get());
    loadUnits();
}

// The units vocabulary gives unit symbols ("dB" for units:db). It holds no plug-in, so taking
// it from lilv's default path too, when LV2_PATH leaves it out, changes no plug-in choice.
void Lv2World::loadUnits()
{
    const Lv2Node decibel(lilv_new_uri(world, LV2_UNITS__db));
    if (lilv_world_ask(world, decibel.get(), words->unitSymbol.get(), nullptr))
        return;
    std::stringstream path(lv2SearchPath() + ":" + kDefaultLv2Path);
    std::string folder;
    while (std::getline(path, folder, ':'))
    {
        const char* home = std::getenv("HOME");
        if (folder.rfind("~/", 0) == 0 && home != nullptr)
            folder = home + folder.substr(1);
        const std::filesystem::path units = std::filesystem::path(folder) / kUnitsBundleName;
        std::error_code error;
        if (std::filesystem::is_regular_file(units / "manifest.ttl", error))
        {
            const Lv2Node bundle(lilv_new_file_uri(world, nullptr, (units.string() + "/").c_str()));
            lilv_world_load_bundle(world, bundle.get());
            lilv_world_load_specifications(world);
            return;
        }
    }
}

const LilvPlugin* Lv2World::findPlugin(const std::string& uri) const
{
    const Lv2Node node(lilv_new_uri(world, uri.c_str()));
    if (!node)
        return nullptr;
    return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node.get());
}

std::vector<const LilvPlugin*> Lv2World::plugins() const
{
    std::vector<const LilvPlugin*> found;
    const LilvPlugins* all = lilv_world_get_all_plugins(world);
    LILV_FOREACH(plugins, entry, all)
    {
        found.push_back(lilv_plugins_get(all, entry));
    }
    return found;
}

std::string lv2SearchPath()
{
    const char* path = std::getenv("LV2_PATH");
    return path != nullptr ? path : kDefaultLv2Path;
}

std::string lv2NodeText(const LilvNode* node)
{
    if (node == nullptr)
        return {};
    const char* text = lilv_node_as_string(node);
    return text != nullptr ? text : "";
}

std::string lv2TakeNodeText(LilvNode* node)
{
    const Lv2Node owned(node);
    return lv2NodeText(owned.get());
}
