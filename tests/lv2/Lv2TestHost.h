// A small LV2 host for the tests, on lilv: a world that sees only the build tree's bundle and
// the LV2 vocabulary bundles (a private LV2 path, so an installed copy is never picked up),
// instances with their control ports in one array, and renders of stereo signals at chosen run
// lengths.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <algorithm>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "lv2/Lv2Identity.h"
#include "lv2/Lv2Ports.h"
#include "tests/support/TestSignals.h"

using Stereo = StereoSignal;

// URIs to numbers for lilv's state and the UI's options; any thread of the tests.
class UridMap
{
  public:
    LV2_URID map(const char* uri)
    {
        auto [entry, added] = ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1));
        (void)added;
        return entry->second;
    }
    LV2_URID_Map* feature() { return &mapFeature; }

  private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
    {
        return static_cast<UridMap*>(handle)->map(uri);
    }
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map mapFeature{this, mapUri};
};

// The lilv world with our plug-in; one per test process.
class Lv2World
{
  public:
    static Lv2World& get()
    {
        static Lv2World world;
        return world;
    }
    LilvWorld* world() const { return lilvWorld; }
    const LilvPlugin* plugin() const { return lilvPlugin; }
    LilvNode* uri(const char* text) const
    {
        nodes.push_back(lilv_new_uri(lilvWorld, text));
        return nodes.back();
    }
    UridMap& urids() { return uridMap; }

    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;
    ~Lv2World()
    {
        for (LilvNode* node : nodes)
            lilv_node_free(node);
        lilv_world_free(lilvWorld);
    }

  private:
    Lv2World() : lilvWorld(lilv_world_new())
    {
        LilvNode* path = lilv_new_string(lilvWorld, VARNHOLT_LV2_PATH);
        lilv_world_set_option(lilvWorld, LILV_OPTION_LV2_PATH, path);
        lilv_node_free(path);
        lilv_world_load_all(lilvWorld);
        lilvPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(lilvWorld),
                                             uri(lv2_identity::kPluginUri));
        if (lilvPlugin == nullptr)
            throw std::runtime_error("the bundle on " VARNHOLT_LV2_PATH " has no plug-in");
    }

    LilvWorld* lilvWorld;
    const LilvPlugin* lilvPlugin = nullptr;
    mutable std::vector<LilvNode*> nodes;
    UridMap uridMap;
};

// One instance, control ports connected to `controls` (inputs at the defaults the bundle
// declares), activated; freed with the object.
class Lv2Instance
{
  public:
    explicit Lv2Instance(double sampleRateHz = 44100.0)
    {
        Lv2World& w = Lv2World::get();
        const LV2_Feature mapFeature{LV2_URID__map, w.urids().feature()};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        instance = lilv_plugin_instantiate(w.plugin(), sampleRateHz, features);
        if (instance == nullptr)
            throw std::runtime_error("instantiation failed");
        std::vector<float> defaults(lv2_port::kPortCount);
        lilv_plugin_get_port_ranges_float(w.plugin(), nullptr, nullptr, defaults.data());
        for (std::uint32_t port = 0; port < lv2_port::kPortCount; ++port)
        {
            if (isControl(port))
            {
                controls[port] = defaults[port];
                connect(port, &controls[port]);
            }
        }
        lilv_instance_activate(instance);
    }
    ~Lv2Instance()
    {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    static bool isControl(std::uint32_t port)
    {
        return port < lv2_port::kAudioInLeft || port > lv2_port::kAudioOutRight;
    }
    void connect(std::uint32_t port, void* data)
    {
        lilv_instance_connect_port(instance, port, data);
    }
    void run(std::uint32_t frames) { lilv_instance_run(instance, frames); }
    LilvInstance* get() const { return instance; }

    // Runs the whole signal in runs of the given lengths, repeated; in place when asked, in
    // which case the plug-in reads and writes the same buffers.
    Stereo render(const Stereo& input, const std::vector<std::uint32_t>& runLengths,
                  bool inPlace = false)
    {
        // Samples the plug-in never wrote keep this value.
        constexpr float kUnwritten = 7.0f;
        const std::size_t frames = input.left.size();
        Stereo source = input;
        Stereo output = inPlace ? input
                                : Stereo{std::vector<float>(frames, kUnwritten),
                                         std::vector<float>(frames, kUnwritten)};
        Stereo& reading = inPlace ? output : source;
        std::size_t done = 0;
        for (std::size_t run = 0; done < frames; ++run)
        {
            const auto length = static_cast<std::uint32_t>(
                std::min<std::size_t>(runLengths[run % runLengths.size()], frames - done));
            connect(lv2_port::kAudioInLeft, reading.left.data() + done);
            connect(lv2_port::kAudioInRight, reading.right.data() + done);
            connect(lv2_port::kAudioOutLeft, output.left.data() + done);
            connect(lv2_port::kAudioOutRight, output.right.data() + done);
            this->run(length);
            done += length;
        }
        return output;
    }

    // Sets the control inputs a preset holds, as hosts do through lilv; returns how many it
    // set, and counts the values not given as floats in nonFloatValues.
    int applyPreset(const LilvNode* preset)
    {
        Lv2World& w = Lv2World::get();
        LilvState* state = lilv_state_new_from_world(w.world(), w.urids().feature(), preset);
        if (state == nullptr)
            throw std::runtime_error("the preset has no state");
        presetValuesSet = 0;
        lilv_state_restore(state, instance, setPortValue, this, 0, nullptr);
        lilv_state_free(state);
        return presetValuesSet;
    }

    float controls[lv2_port::kPortCount] = {};
    int nonFloatValues = 0;

  private:
    static void setPortValue(const char* symbol, void* self, const void* value, std::uint32_t size,
                             std::uint32_t type)
    {
        auto* instance = static_cast<Lv2Instance*>(self);
        Lv2World& w = Lv2World::get();
        LilvNode* symbolNode = lilv_new_string(w.world(), symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(w.plugin(), symbolNode);
        lilv_node_free(symbolNode);
        if (port == nullptr || type != w.urids().map(LV2_ATOM__Float) || size != sizeof(float))
        {
            ++instance->nonFloatValues;
            return;
        }
        instance->controls[lilv_port_get_index(w.plugin(), port)] =
            *static_cast<const float*>(value);
        ++instance->presetValuesSet;
    }

    int presetValuesSet = 0;
    LilvInstance* instance = nullptr;
};
