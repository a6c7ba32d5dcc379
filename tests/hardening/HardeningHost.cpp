#include "HardeningHost.h"

#include <dlfcn.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace
{
VstPluginMainProc loadEntry()
{
    // Loaded once and never unloaded: hosts keep plug-in libraries loaded too.
    static void* const library = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
    {
        throw std::runtime_error(dlerror());
    }
    return reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
}
} // namespace

extern "C" VstIntPtr hardeningHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                           float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

Instance::Instance() : effect(loadEntry()(hardeningHostCallback))
{
    if (effect == nullptr)
    {
        throw std::runtime_error("the entry point gave no effect");
    }
}

Instance::~Instance()
{
    if (effect != nullptr)
    {
        dispatch(effClose);
    }
}

bool Instance::bypassed() const
{
    constexpr float switchThreshold = 0.5f;
    return getParameter(kBypassIndex) > switchThreshold;
}

void Instance::start(float sampleRateHz) const
{
    constexpr VstIntPtr blockFrames = 512;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRateHz);
    dispatch(effSetBlockSize, 0, blockFrames);
    dispatch(effMainsChanged, 0, 1);
}

void Instance::close()
{
    dispatch(effClose);
    effect = nullptr;
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long sizePages = 0;
    long residentPages = 0;
    statm >> sizePages >> residentPages;
    return residentPages * sysconf(_SC_PAGESIZE);
}

template <typename Sample> double largestMagnitude(const StereoBlock<Sample>& block)
{
    double largest = 0.0;
    for (const std::vector<Sample>* channel : {&block.left, &block.right})
    {
        for (Sample sample : *channel)
        {
            if (!std::isfinite(sample))
            {
                return INFINITY;
            }
            largest = std::max(largest, std::fabs(static_cast<double>(sample)));
        }
    }
    return largest;
}

template double largestMagnitude(const StereoBlock<float>&);
template double largestMagnitude(const StereoBlock<double>&);
