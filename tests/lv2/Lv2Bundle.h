// The build tree's bundle through the renderer's own LV2 code (host/plugins/): a world that reads
// this bundle alone, so an installed copy is never picked up, instances made and fed as
// varnholt-render makes and feeds them, and renders of stereo signals at chosen run lengths.
// What the renderer never does (read the meter outputs, connect a port anew mid-stream) goes to
// lilv directly, on the same world, through RawLv2Instance.
#pragma once

#include <lilv/lilv.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/plugins/Lv2PluginInstance.h"
#include "host/plugins/Lv2World.h"
#include "lv2/Lv2Identity.h"
#include "lv2/Lv2Ports.h"
#include "parameters/Presets.h"
#include "tests/support/TestSignals.h"

using Stereo = StereoSignal;

// The world holding the bundle; one per test process.
inline const std::shared_ptr<Lv2World>& bundleWorld()
{
    static const std::shared_ptr<Lv2World> world = []
    {
        auto made = std::make_shared<Lv2World>();
        made->loadBundle(VARNHOLT_LV2_PATH "/varnholt-pro.lv2");
        return made;
    }();
    return world;
}

inline const LilvPlugin* bundlePlugin()
{
    const LilvPlugin* plugin = bundleWorld()->findPlugin(lv2_identity::kPluginUri);
    if (plugin == nullptr)
        throw std::runtime_error("the bundle on " VARNHOLT_LV2_PATH " has no plug-in");
    return plugin;
}

// A URI node for one lilv query, freed at the end of the expression that makes it.
inline Lv2Node lv2Uri(const char* uri)
{
    return Lv2Node(lilv_new_uri(bundleWorld()->get(), uri));
}

// A factory program's name as its preset's label gives it, without the table's padding.
inline std::string programLabel(int program)
{
    std::string label(kProgramNameTable[program]);
    label.erase(label.find_last_not_of(' ') + 1);
    return label;
}

inline std::string portSymbol(std::uint32_t port)
{
    const LilvPlugin* plugin = bundlePlugin();
    return lilv_node_as_string(
        lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, port)));
}

// Runs the whole signal through `run(input, output, frames)` in runs of the given lengths,
// repeated; in place when asked, in which case the plug-in reads and writes the same buffers.
template <typename Run>
Stereo renderInRuns(const Stereo& input, const std::vector<std::uint32_t>& runLengths, bool inPlace,
                    Run run)
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
    for (std::size_t next = 0; done < frames; ++next)
    {
        const auto length = static_cast<std::uint32_t>(
            std::min<std::size_t>(runLengths[next % runLengths.size()], frames - done));
        const float* in[] = {reading.left.data() + done, reading.right.data() + done};
        float* out[] = {output.left.data() + done, output.right.data() + done};
        run(in, out, length);
        done += length;
    }
    return output;
}

// One instance as the renderer makes it: each control input at its default, runs of up to
// kMaxRunFrames, started.
class HostedLv2
{
  public:
    static constexpr int kMaxRunFrames = 4096;

    explicit HostedLv2(double sampleRateHz = 44100.0)
        : instance(bundleWorld(), bundlePlugin(), sampleRateHz, kMaxRunFrames)
    {
        instance.start();
    }

    // The control input at this port index.
    void set(std::uint32_t port, float value) { instance.setParam(paramOf(port), value); }
    float value(std::uint32_t port) const { return instance.paramValue(paramOf(port)); }
    // Deactivated and activated again: the host's suspend and resume.
    void restart()
    {
        instance.stop();
        instance.start();
    }
    Stereo render(const Stereo& input, const std::vector<std::uint32_t>& runLengths,
                  bool inPlace = false)
    {
        return renderInRuns(input, runLengths, inPlace,
                            [this](const float* const* in, float* const* out, std::uint32_t frames)
                            { instance.process(in, out, static_cast<int>(frames), 0.0); });
    }
    Lv2PluginInstance& get() { return instance; }
    // The renderer's parameter number of a control input.
    int paramOf(std::uint32_t port) const
    {
        const std::string symbol = portSymbol(port);
        for (int param = 0; param < instance.numParams(); ++param)
            if (instance.paramSymbol(param) == symbol)
                return param;
        throw std::runtime_error("port " + symbol + " is no control input");
    }

  private:
    Lv2PluginInstance instance;
};

// One instance through lilv alone, every control port (inputs at the defaults the bundle
// declares, meters and latency too) connected to `controls`, activated; freed with the object.
class RawLv2Instance
{
  public:
    RawLv2Instance()
    {
        const LV2_Feature mapFeature{LV2_URID__map, bundleWorld()->urids().mapFeatureData()};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        instance = lilv_plugin_instantiate(bundlePlugin(), 44100.0, features);
        if (instance == nullptr)
            throw std::runtime_error("instantiation failed");
        std::vector<float> defaults(lv2_port::kPortCount);
        lilv_plugin_get_port_ranges_float(bundlePlugin(), nullptr, nullptr, defaults.data());
        for (std::uint32_t port = 0; port < lv2_port::kPortCount; ++port)
        {
            if (port < lv2_port::kAudioInLeft || port > lv2_port::kAudioOutRight)
            {
                controls[port] = defaults[port];
                connect(port, &controls[port]);
            }
        }
        lilv_instance_activate(instance);
    }
    ~RawLv2Instance()
    {
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    RawLv2Instance(const RawLv2Instance&) = delete;
    RawLv2Instance& operator=(const RawLv2Instance&) = delete;

    void connect(std::uint32_t port, void* data)
    {
        lilv_instance_connect_port(instance, port, data);
    }
    void run(std::uint32_t frames) { lilv_instance_run(instance, frames); }
    Stereo render(const Stereo& input, const std::vector<std::uint32_t>& runLengths)
    {
        return renderInRuns(input, runLengths, false,
                            [this](const float* const* in, float* const* out, std::uint32_t frames)
                            {
                                connect(lv2_port::kAudioInLeft, const_cast<float*>(in[0]));
                                connect(lv2_port::kAudioInRight, const_cast<float*>(in[1]));
                                connect(lv2_port::kAudioOutLeft, out[0]);
                                connect(lv2_port::kAudioOutRight, out[1]);
                                run(frames);
                            });
    }

    float controls[lv2_port::kPortCount] = {};

  private:
    LilvInstance* instance = nullptr;
};
