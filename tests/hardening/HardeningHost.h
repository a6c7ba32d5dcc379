// A host for the hardening suites: loads the built VarnholtPro.so as hosts do (dlopen, entry
// symbol, AEffect record), answers the effect's calls without allocating, and drives instances
// with stereo blocks.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "vst/VstAbi.h"

// Fixed seed, so a failure can be replayed.
constexpr std::uint32_t kHardeningSeed = 20240611u;
constexpr VstInt32 kParameterCount = 17;
constexpr VstInt32 kProgramCount = 18;
constexpr VstInt32 kBypassIndex = 2;
constexpr VstInt32 kDitheringIndex = 16;
// The highest "Dithering" menu position (8 bits).
constexpr float kLargestDitheringPosition = 6.0f;

// Answers audioMasterVersion with 2400 and everything else with 0; allocates nothing and keeps
// no state, so it may run inside the real-time checks and on any thread. (tests/plugin's host
// records every call in a vector, which both would rule out.)
extern "C" inline VstIntPtr hardeningHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr,
                                                  void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// One instance of the plug-in, closed with effClose when the object goes unless it was closed
// already. The library stays loaded for the whole test process, as hosts keep it.
class Instance
{
  public:
    Instance()
    {
        static void* const library = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            throw std::runtime_error(dlerror());
        effect = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"))(
            hardeningHostCallback);
        if (effect == nullptr)
            throw std::runtime_error("the entry point gave no effect");
    }
    ~Instance()
    {
        if (effect != nullptr)
            close();
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* operator->() const { return effect; }
    AEffect* get() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) const
    {
        effect->setParameter(effect, index, value);
    }
    float getParameter(VstInt32 index) const { return effect->getParameter(effect, index); }
    // effOpen, the rate, 512-frame blocks, resume: what hosts send before processing.
    void start(float sampleRateHz = 48000.0f) const
    {
        constexpr VstIntPtr blockFrames = 512;
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, sampleRateHz);
        dispatch(effSetBlockSize, 0, blockFrames);
        dispatch(effMainsChanged, 0, 1);
    }
    // effClose now; the destructor then does nothing.
    void close()
    {
        dispatch(effClose);
        effect = nullptr;
    }
    // Through processReplacing or processDoubleReplacing, by the sample type.
    template <typename Sample>
    void process(Sample** inputs, Sample** outputs, VstInt32 frames) const
    {
        if constexpr (sizeof(Sample) == sizeof(float))
            effect->processReplacing(effect, inputs, outputs, frames);
        else
            effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }

  private:
    AEffect* effect = nullptr;
};

// Two channels of samples, with the channel pointer array the process entries take.
template <typename Sample> struct StereoBlock
{
    explicit StereoBlock(std::size_t frames) : left(frames), right(frames) {}
    std::vector<Sample> left;
    std::vector<Sample> right;
    Sample* channels[2] = {left.data(), right.data()};
    std::size_t frames() const { return left.size(); }

    // The first frames (all by default) of both channels noise of the given peak.
    void fillNoise(std::mt19937& random, float peak, std::size_t count = SIZE_MAX)
    {
        std::uniform_real_distribution<float> sample(-peak, peak);
        for (std::size_t i = 0; i < std::min(count, frames()); ++i)
        {
            left[i] = sample(random);
            right[i] = sample(random);
        }
    }
    // The largest magnitude in the first frames (all by default); infinity if any sample is
    // not finite.
    double largestMagnitude(std::size_t count = SIZE_MAX) const
    {
        double largest = 0.0;
        for (std::size_t i = 0; i < std::min(count, frames()); ++i)
            for (Sample sample : {left[i], right[i]})
            {
                if (!std::isfinite(sample))
                    return INFINITY;
                largest = std::max(largest, std::fabs(static_cast<double>(sample)));
            }
        return largest;
    }
};

// The process's resident memory now, in bytes.
inline long residentBytes()
{
    long sizePages = 0;
    long residentPages = 0;
    std::ifstream("/proc/self/statm") >> sizePages >> residentPages;
    return residentPages * sysconf(_SC_PAGESIZE);
}
