// A minimal host for the tests: loads the built VarnholtPro.so with dlopen, creates an effect
// through one of its entry symbols and records the effect's calls to the host.
#pragma once

#include <string>
#include <vector>

#include "vst/VstAbi.h"

struct HostCall
{
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

// What the test host answers to audioMasterVersion, and every call the effects made.
extern VstIntPtr hostVersionAnswer;
extern std::vector<HostCall> hostCalls;
extern "C" VstIntPtr testHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                      VstIntPtr value, void* ptr, float opt);

// The library stays loaded while at least one PluginLibrary object holds it.
class PluginLibrary
{
  public:
    PluginLibrary();
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    VstPluginMainProc entry(const char* symbol) const;
    static bool isLoaded();

  private:
    void* handle;
};

// One effect instance, closed with effClose when the object goes.
class HostedEffect
{
  public:
    explicit HostedEffect(const char* symbol = "VSTPluginMain");
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* operator->() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const;
    // The text a request writes into a large buffer pre-filled with '#', up to the terminator
    // (or the whole buffer when there is none); "untouched" when nothing was written.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) const;
    std::string display(VstInt32 index) const { return text(effGetParamDisplay, index); }
    void setParameter(VstInt32 index, float value) const
    {
        effect->setParameter(effect, index, value);
    }
    float getParameter(VstInt32 index) const { return effect->getParameter(effect, index); }
    // Runs frames of a constant stereo input through processReplacing; returns the left output.
    std::vector<float> process(float input, int frames) const;

  private:
    PluginLibrary library;
    AEffect* effect;
};
