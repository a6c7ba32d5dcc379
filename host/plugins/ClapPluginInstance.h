// CLAP plug-ins for the renderer: a .clap library opened once, and one of its plug-ins driven as
// a host drives it, everything on the renderer's one thread: a stereo effect as one instance, a
// mono effect as two (left and right), both set alike.
#pragma once

#include "clap/Extensions.h"
#include "host/plugins/PluginInstance.h"

#include <cstdint>
#include <string>
#include <vector>

// A .clap library, loaded for the rest of the program like VST 2.4 libraries, its entry
// initialised once.
struct ClapPluginLibrary
{
    std::string path;
    const clap_plugin_entry* entry = nullptr;
    const clap_plugin_factory* factory = nullptr;
    // The ids of the plug-ins the factory offers, in its order.
    std::vector<std::string> pluginIds;
};

// Opens the library and its plug-in factory; throws HostError.
ClapPluginLibrary openClapLibrary(const std::string& path);

class ClapPluginInstance final : public PluginInstance
{
  public:
    // Creates and initialises the plug-in, reads its ports, parameters and factory presets.
    // Throws HostError for a plug-in whose main input and output are not both stereo or both
    // mono.
    ClapPluginInstance(const ClapPluginLibrary& library, const std::string& pluginId,
                       double sampleRateHz, int maxBlockFrames);
    ~ClapPluginInstance() override;

    std::string name() const override { return pluginName; }

    // Programs are the presets the library lists inside itself (preset discovery).
    int numPrograms() const override { return static_cast<int>(presets.size()); }
    std::string programName(int program) const override;
    void setProgram(int program) override;

    // The parameters a user may set (not the read-only or hidden ones), in the plug-in's plain
    // values within the ranges it states.
    int numParams() const override { return static_cast<int>(params.size()); }
    std::string paramName(int param) const override;
    std::string paramSymbol(int) const override { return {}; }
    // The value texts carry their units.
    std::string paramLabel(int) const override { return {}; }
    std::string paramDisplay(int param) const override;
    ParamScale paramScale() const override { return ParamScale::PortUnits; }
    float paramMinimum(int param) const override;
    float paramMaximum(int param) const override;
    // While processing, the change goes with the next block; before, through a flush.
    void setParam(int param, float value) override;
    float paramValue(int param) const override;
    // Our own CLAP edition's parameters by their ids, which are the ParamIds.
    int varnholtParamId(int param) const override;

    void start() override;
    void process(const float* const input[2], float* const output[2], int frames,
                 double samplePos) override;
    void stop() override;

    int latencyFrames() const override;

  private:
    struct Preset
    {
        std::string name;
        std::string loadKey;
    };
    struct Ports
    {
        std::vector<std::uint32_t> channels;
        std::size_t main = 0;
    };

    // One instance's audio buffers: every port's channel pointers, the main ones set per block.
    struct Lane
    {
        std::vector<std::vector<float*>> inputPointers;
        std::vector<std::vector<float*>> outputPointers;
        std::vector<clap_audio_buffer> inputBuffers;
        std::vector<clap_audio_buffer> outputBuffers;
    };

    const clap_plugin* createInstance(const ClapPluginLibrary& library,
                                      const std::string& pluginId);
    void readPorts();
    void addLane();
    void readPresets(const ClapPluginLibrary& library, const std::string& pluginId);
    void flushPending();
    [[noreturn]] void destroyAndRefuse(const std::string& message);

    clap_host host{};
    clap_host_params hostParams{};
    clap_host_state hostState{};
    clap_host_latency hostLatency{};
    clap_host_thread_check threadCheck{};
    // The first instance answers for all; a mono effect has a second for the right channel.
    const clap_plugin* plugin = nullptr;
    std::vector<const clap_plugin*> instances;
    const clap_plugin_params* paramsExt = nullptr;
    std::string pluginName;
    // True for Varnholt Pro's own CLAP edition.
    bool varnholt = false;
    double sampleRate;
    int maxBlock;
    std::vector<clap_param_info> params;
    std::vector<Preset> presets;
    Ports inputs;
    Ports outputs;
    // Channels of the main ports: 2, or 1 for a mono effect.
    std::uint32_t mainChannels = 0;
    // Silent inputs and ignored outputs for the ports beyond the main ones.
    std::vector<std::vector<float>> spareSamples;
    std::vector<Lane> lanes;
    // Parameter changes for the next process or flush.
    std::vector<clap_event_param_value> pending;
    bool active = false;
    bool inProcess = false;
};
