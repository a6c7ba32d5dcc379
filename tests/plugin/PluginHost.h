// A minimal host for the tests: loads the built VarnholtPro.so with dlopen, creates an effect
// through one of its entry symbols and records the effect's calls to the host.
#pragma once

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "vst/VstAbi.h"

// What the test host answers to audioMasterVersion, and the opcodes of every call to the host.
inline VstIntPtr hostVersionAnswer = kVstVersion;
inline std::vector<VstInt32> hostCalls;
extern "C" inline VstIntPtr testHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                             float)
{
    hostCalls.push_back(opcode);
    return opcode == audioMasterVersion ? hostVersionAnswer : 0;
}

// The library stays loaded while at least one PluginLibrary object holds it.
class PluginLibrary
{
  public:
    PluginLibrary() : handle(dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (handle == nullptr)
            throw std::runtime_error(dlerror());
    }
    ~PluginLibrary() { dlclose(handle); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    VstPluginMainProc entry(const char* symbol) const
    {
        return reinterpret_cast<VstPluginMainProc>(dlsym(handle, symbol));
    }
    static bool isLoaded()
    {
        void* probe = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (probe != nullptr)
            dlclose(probe);
        return probe != nullptr;
    }

  private:
    void* handle;
};

// One effect instance, closed with effClose when the object goes.
class HostedEffect
{
  public:
    explicit HostedEffect(const char* symbol = "VSTPluginMain")
        : effect(library.entry(symbol)(testHostCallback))
    {
        if (effect == nullptr)
            throw std::runtime_error("the entry point gave no effect");
    }
    ~HostedEffect() { dispatch(effClose); }
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* get() const { return effect; }
    AEffect* operator->() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    // The text a request writes into a large buffer pre-filled with '#', up to the terminator
    // (or the whole buffer when there is none); "untouched" when nothing was written.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) const
    {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        dispatch(opcode, index, value, buffer);
        return buffer[0] == '#' ? "untouched" : std::string(buffer, strnlen(buffer, sizeof buffer));
    }
    std::string display(VstInt32 index) const { return text(effGetParamDisplay, index); }
    void setParameter(VstInt32 index, float value) const
    {
        effect->setParameter(effect, index, value);
    }
    float getParameter(VstInt32 index) const { return effect->getParameter(effect, index); }
    // Runs frames of a constant stereo input through processReplacing; returns the left output.
    std::vector<float> process(float input, int frames) const
    {
        std::vector<float> left(frames, input);
        std::vector<float> right(frames, input);
        float* channels[] = {left.data(), right.data()};
        effect->processReplacing(effect, channels, channels, frames);
        return left;
    }

  private:
    PluginLibrary library;
    AEffect* effect;
};
