// One VST3 effect instance, driven as hosts drive one: the component and its controller
// created, initialised, connected and synchronised; parameters as the controller lists them
// (normalised values; the program selector apart, as the program list); changes sent at the
// start of the next block.
#pragma once

#include "host/plugins/PluginInstance.h"
#include "host/plugins/Vst3HostObjects.h"
#include "host/plugins/Vst3Module.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Processor.h"

#include <string>
#include <vector>

class Vst3PluginInstance final : public PluginInstance
{
  public:
    // Throws HostError when the class gives no stereo effect with a controller.
    Vst3PluginInstance(const Vst3EffectClass& effect, double sampleRateHz, int maxBlockFrames);
    // Stops processing if it runs, disconnects and terminates both halves.
    ~Vst3PluginInstance() override;

    std::string name() const override { return effectName; }

    int numPrograms() const override { return programCount; }
    std::string programName(int program) const override;
    // Selects through the program parameter; the values it brings are read back and sent on.
    void setProgram(int program) override;

    int numParams() const override { return static_cast<int>(parameters.size()); }
    std::string paramName(int param) const override { return parameters[param].title; }
    std::string paramSymbol(int) const override { return {}; }
    // The units, unless the display text already ends with them (as ours does).
    std::string paramLabel(int param) const override;
    std::string paramDisplay(int param) const override;
    ParamScale paramScale() const override { return ParamScale::Normalised; }
    float paramMinimum(int) const override { return 0.0f; }
    float paramMaximum(int) const override { return 1.0f; }
    void setParam(int param, float normalised) override;
    float paramValue(int param) const override;

    // setupProcessing (offline, 32 bits), stereo buses, setActive and setProcessing.
    void start() override;
    void process(const float* const input[2], float* const output[2], int frames,
                 double samplePos) override;
    void stop() override;

    int latencyFrames() const override;

  private:
    struct Parameter
    {
        vst3::ParamID id;
        std::string title;
        std::string units;
    };
    void createController(const Vst3EffectClass& effect);
    void connect();
    void synchroniseController();
    void findPrograms();
    void releaseAll();

    Vst3HostApplication hostApplication;
    Vst3BlockChanges changes;
    vst3::ProcessContext context{};
    std::string effectName;
    double sampleRateHz;
    int maxBlockFrames;
    vst3::IComponent* component = nullptr;
    vst3::IAudioProcessor* processor = nullptr;
    vst3::IEditController* controller = nullptr;
    bool controllerIsComponent = false;
    vst3::IConnectionPoint* componentPoint = nullptr;
    vst3::IConnectionPoint* controllerPoint = nullptr;
    std::vector<Parameter> parameters;
    bool hasProgramParameter = false;
    vst3::ParamID programParameter = 0;
    std::int32_t programListId = -1;
    int programCount = 0;
    bool running = false;
};
