#include "PluginHost.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

VstIntPtr hostVersionAnswer = kVstVersion;
std::vector<HostCall> hostCalls;

extern "C" VstIntPtr testHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                      float opt)
{
    hostCalls.push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? hostVersionAnswer : 0;
}

PluginLibrary::PluginLibrary() : handle(dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL))
{
    if (handle == nullptr)
    {
        throw std::runtime_error(dlerror());
    }
}

PluginLibrary::~PluginLibrary()
{
    dlclose(handle);
}

VstPluginMainProc PluginLibrary::entry(const char* symbol) const
{
    return reinterpret_cast<VstPluginMainProc>(dlsym(handle, symbol));
}

bool PluginLibrary::isLoaded()
{
    void* probe = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (probe != nullptr)
    {
        dlclose(probe);
    }
    return probe != nullptr;
}

HostedEffect::HostedEffect(const char* symbol) : effect(library.entry(symbol)(testHostCallback))
{
    if (effect == nullptr)
    {
        throw std::runtime_error("the entry point gave no effect");
    }
}

HostedEffect::~HostedEffect()
{
    dispatch(effClose);
}

VstIntPtr HostedEffect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) const
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string HostedEffect::text(VstInt32 opcode, VstInt32 index, VstIntPtr value) const
{
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    dispatch(opcode, index, value, buffer);
    if (buffer[0] == '#')
    {
        return "untouched";
    }
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::vector<float> HostedEffect::process(float input, int frames) const
{
    std::vector<float> left(frames, input);
    std::vector<float> right(frames, input);
    float* channels[] = {left.data(), right.data()};
    effect->processReplacing(effect, channels, channels, frames);
    return left;
}
