// One LV2 plug-in run through lilv: a stereo effect as one instance, a mono effect as two
// (left and right), both set from the same control values.
#pragma once

#include "host/plugins/Lv2PortLayout.h"
#include "host/plugins/Lv2Presets.h"
#include "host/plugins/Lv2World.h"
#include "host/plugins/PluginInstance.h"

#include <lv2/options/options.h>

#include <cstdint>
#include <memory>
#include <vector>

class Lv2PluginInstance final : public PluginInstance
{
  public:
    // Checks the plug-in's required features against those the host gives, instantiates it,
    // connects every port and sets each control input to its default. Throws HostError when
    // the plug-in needs a missing feature, is neither stereo nor mono, or will not instantiate.
    Lv2PluginInstance(std::shared_ptr<Lv2World> world, const LilvPlugin* plugin,
                      double sampleRateHz, int maxBlockFrames);
    ~Lv2PluginInstance() override;

    std::string name() const override;

    // Programs are the plug-in's presets.
    int numPrograms() const override { return static_cast<int>(presets.size()); }
    std::string programName(int program) const override;
    void setProgram(int program) override;

    // Parameters are the control input ports, in port order, in the ports' own units.
    int numParams() const override { return static_cast<int>(layout.controls.size()); }
    std::string paramName(int param) const override;
    std::string paramSymbol(int param) const override;
    std::string paramLabel(int param) const override;
    std::string paramDisplay(int param) const override;
    ParamScale paramScale() const override { return ParamScale::PortUnits; }
    float paramMinimum(int param) const override;
    float paramMaximum(int param) const override;
    void setParam(int param, float value) override;
    float paramValue(int param) const override;

    void start() override;
    // Connects the two channels (one to each instance of a mono plug-in) and runs.
    void process(const float* const input[2], float* const output[2], int frames,
                 double samplePos) override;
    void stop() override;

    // The value of the latency output port after the last run; 0 without one.
    int latencyFrames() const override;

    // Our LV2 edition: known by its URI, its ports by their symbols.
    int varnholtParamId(int param) const override;

  private:
    void refuseMissingFeatures() const;
    void refuseMissingLibrary() const;
    std::string uri() const;
    // Every port but the main audio ones, which process connects; instances have their own
    // atom buffers.
    void connectFixedPorts(LilvInstance* instance, std::size_t instanceNumber);
    void resetAtomBuffers();
    const Lv2ControlPort* control(int param) const;

    std::shared_ptr<Lv2World> world;
    std::string pluginName; // read once, under the world's lock
    const LilvPlugin* plugin;
    Lv2PortLayout layout;
    std::vector<Lv2Preset> presets;

    // What the options feature points at.
    std::int32_t maxBlockOption;
    std::int32_t minBlockOption = 1;
    float sampleRateOption;
    std::vector<LV2_Options_Option> options;
    std::vector<LV2_Feature> featureRecords;
    std::vector<const LV2_Feature*> features; // null-terminated

    std::vector<LilvInstance*> instances;
    std::vector<float> portValues; // every control port's value, by port index, for all instances
    std::vector<std::vector<float>> silentInputs, ignoredOutputs;
    // 64-bit aligned atom buffers, those of instance 0 first
    std::vector<std::vector<std::uint64_t>> atomInputs, atomOutputs;
    LV2_URID sequenceType = 0; // mapped once: mapping takes a lock, the audio path none
    LV2_URID chunkType = 0;
    bool running = false;
};
