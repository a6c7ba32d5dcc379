// The VST3 edition's audio component: the engine behind IComponent and IAudioProcessor, stereo
// in and out, the stored value of every parameter and the program. Host changes take effect at
// their frames inside a block. process allocates nothing, takes no lock and calls no system
// function.
#pragma once

#include <atomic>
#include <memory>

#include "engine/LimiterEngine.h"
#include "parameters/Parameters.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Processor.h"
#include "vst3plugin/Vst3EngineLink.h"
#include "vst3plugin/Vst3RefCount.h"

class Vst3Processor final : public vst3::IComponent,
                            public vst3::IAudioProcessor,
                            public vst3::IConnectionPoint,
                            public Vst3EngineLink
{
  public:
    // Host GUI thread (the factory). Configures the engine from program 0 at 44.1 kHz.
    Vst3Processor();

    // Any thread.
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    VST3_REFERENCE_COUNTED

    // Host GUI thread: IPluginBase and IComponent.
    vst3::tresult initialize(vst3::FUnknown* context) override;
    vst3::tresult terminate() override;
    vst3::tresult getControllerClassId(std::uint8_t* classId) override;
    vst3::tresult setIoMode(std::int32_t mode) override;
    std::int32_t getBusCount(std::int32_t type, std::int32_t direction) override;
    vst3::tresult getBusInfo(std::int32_t type, std::int32_t direction, std::int32_t index,
                             vst3::BusInfo& bus) override;
    vst3::tresult getRoutingInfo(vst3::RoutingInfo& in, vst3::RoutingInfo& out) override;
    vst3::tresult activateBus(std::int32_t type, std::int32_t direction, std::int32_t index,
                              vst3::TBool state) override;
    // Activation starts a new engine at the stored values, so a host's re-activation (Ardour
    // before a bounce, after a seek) renders as a new instance would.
    vst3::tresult setActive(vst3::TBool state) override;
    // Applies every value and the program of a state of ours; refuses anything else unchanged.
    vst3::tresult setState(vst3::IBStream* state) override;
    vst3::tresult getState(vst3::IBStream* state) override;

    // Host GUI thread, while inactive: IAudioProcessor's set-up.
    vst3::tresult setBusArrangements(vst3::SpeakerArrangement* inputs, std::int32_t numIns,
                                     vst3::SpeakerArrangement* outputs,
                                     std::int32_t numOuts) override;
    vst3::tresult getBusArrangement(std::int32_t direction, std::int32_t index,
                                    vst3::SpeakerArrangement& arrangement) override;
    vst3::tresult canProcessSampleSize(std::int32_t symbolicSampleSize) override;
    // Any thread: 512 at every rate, from the start.
    std::uint32_t getLatencySamples() override;
    vst3::tresult setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult setProcessing(vst3::TBool state) override;
    // Audio thread. 0 frames only applies the parameter changes; inputs and outputs may be the
    // same buffers; output channels that are all zero are flagged silent.
    vst3::tresult process(vst3::ProcessData& data) override;
    std::uint32_t getTailSamples() override;

    // Host GUI thread: the peer (the controller, or the host's proxy for it) is told this
    // processor's engine link in a message the host makes; nothing else is sent.
    vst3::tresult connect(vst3::IConnectionPoint* other) override;
    vst3::tresult disconnect(vst3::IConnectionPoint* other) override;
    vst3::tresult notify(vst3::IMessage* message) override;

    // GUI thread, from a controller in this process.
    LimiterEngine& linkedEngine() override { return *engine; }

  private:
    ~Vst3Processor();

    // Audio thread (and the GUI thread for a state): one host change.
    void applyChange(vst3::ParamID id, double normalized);
    // Stores and applies value when it differs from the stored one: hosts resend unchanged
    // values, and re-applying "Bypass" would clear the look-ahead delay each time.
    void applyValue(int index, float value);
    void applyProgram(int program);
    template <typename Sample> void processAudio(vst3::ProcessData& data);
    // Host GUI thread: a new engine at the rate and the stored values.
    void startEngine();

    Vst3RefCount refCount;
    vst3::IHostApplication* hostApplication = nullptr;
    std::unique_ptr<LimiterEngine> engine;
    float sampleRateHz = 44100.0f;
    std::atomic<float> values[kNumParams];
    std::atomic<int> program{0};
};
