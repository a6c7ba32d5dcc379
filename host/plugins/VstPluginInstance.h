// One effect instance, driven through the VST 2.4 dispatcher in the order hosts use.
#pragma once

#include "host/plugins/HostCallback.h"
#include "host/plugins/PluginInstance.h"
#include "vst/VstAbi.h"

#include <string>
#include <vector>

class VstPluginInstance final : public PluginInstance
{
  public:
    // Calls the entry point, checks the record, then sends effOpen, effSetSampleRate and
    // effSetBlockSize. Throws HostError when the library gives no usable stereo effect.
    VstPluginInstance(VstPluginMainProc entry, double sampleRateHz, int maxBlockFrames);
    // Stops processing if it runs, then effClose.
    ~VstPluginInstance() override;

    // Effect name, else product string, else empty.
    std::string name() const override;

    int numPrograms() const override { return effect->numPrograms; }
    std::string programName(int program) const override;
    void setProgram(int program) override;

    int numParams() const override { return effect->numParams; }
    std::string paramName(int param) const override;
    std::string paramSymbol(int) const override { return {}; }
    std::string paramLabel(int param) const override;
    std::string paramDisplay(int param) const override;
    ParamScale paramScale() const override { return ParamScale::Normalised; }
    float paramMinimum(int) const override { return 0.0f; }
    float paramMaximum(int) const override { return 1.0f; }
    void setParam(int param, float normalised) override;
    float paramValue(int param) const override;

    // effMainsChanged 1 and effStartProcess (32-bit precision asked first where offered).
    void start() override;
    // The two stereo channel pointers are copied into the plug-in's (possibly wider) channel
    // arrays.
    void process(const float* const input[2], float* const output[2], int frames,
                 double samplePos) override;
    // effStopProcess and effMainsChanged 0.
    void stop() override;

    // Current initialDelay in frames, as the plug-in states it now.
    int latencyFrames() const override { return effect->initialDelay; }

    // Our VST 2.4 edition: its parameter indices are the ParamIds.
    int varnholtParamId(int param) const override;

  private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    std::string text(VstInt32 opcode, VstInt32 index) const;
    [[noreturn]] void closeAndRefuse(const std::string& reason);

    HostContext context;
    AEffect* effect = nullptr;
    bool replacing = false; // processReplacing offered; else the old accumulating process
    bool running = false;
    bool varnholt = false; // our own edition, known by its ID, product and parameter count
    std::vector<std::vector<float>> spareChannels; // extra inputs get silence, extra outputs go
    std::vector<float*> inputChannels;
    std::vector<float*> outputChannels;
};
