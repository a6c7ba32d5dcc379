// One effect instance, driven through the VST 2.4 dispatcher in the order hosts use.
#pragma once

#include "host/HostCallback.h"
#include "vst/VstAbi.h"

#include <string>
#include <vector>

class PluginInstance
{
  public:
    // Calls the entry point, checks the record, then sends effOpen, effSetSampleRate and
    // effSetBlockSize. Throws HostError when the library gives no usable stereo effect.
    PluginInstance(VstPluginMainProc entry, double sampleRateHz, int maxBlockFrames);
    // Stops processing if it runs, then effClose.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Effect name, else product string, else empty.
    std::string name() const;

    int numPrograms() const { return effect->numPrograms; }
    std::string programName(int program) const;
    void setProgram(int program);

    int numParams() const { return effect->numParams; }
    std::string paramName(int param) const;
    std::string paramLabel(int param) const;
    std::string paramDisplay(int param) const;
    void setParam(int param, float normalised);
    float paramValue(int param) const { return effect->getParameter(effect, param); }

    // effMainsChanged 1 and effStartProcess (32-bit precision asked first where offered).
    void start();
    // Processes frames <= the block size given at construction; the two stereo channel
    // pointers are copied into the plug-in's (possibly wider) channel arrays.
    void process(const float* const input[2], float* const output[2], int frames, double samplePos);
    // effStopProcess and effMainsChanged 0.
    void stop();

    // Current initialDelay in frames, as the plug-in states it now.
    int latencyFrames() const { return effect->initialDelay; }

  private:
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    std::string text(VstInt32 opcode, VstInt32 index) const;
    [[noreturn]] void closeAndRefuse(const std::string& reason);

    HostContext context;
    AEffect* effect = nullptr;
    bool replacing = false; // processReplacing offered; else the old accumulating process
    bool running = false;
    std::vector<std::vector<float>> spareChannels; // extra inputs get silence, extra outputs go
    std::vector<float*> inputChannels;
    std::vector<float*> outputChannels;
};
