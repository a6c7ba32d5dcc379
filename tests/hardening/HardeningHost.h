// A host for the hardening suites: loads the built VarnholtPro.so as hosts do (dlopen, entry
// symbol, AEffect record), answers the effect's calls without allocating, and drives instances
// with stereo blocks.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "vst/VstAbi.h"

// Answers audioMasterVersion with 2400 and everything else with 0; allocates nothing, so it
// may run inside the real-time checks.
extern "C" VstIntPtr hardeningHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt);

// One instance of the plug-in, closed with effClose when the object goes unless it was closed
// already. The library stays loaded for the whole test process.
class Instance
{
  public:
    Instance();
    ~Instance();
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
    bool bypassed() const;
    // effOpen, 48 kHz, 512-frame blocks, resume: what hosts send before processing.
    void start(float sampleRateHz = 48000.0f) const;
    // effClose now; the destructor then does nothing.
    void close();

  private:
    AEffect* effect;
};

// Two channels of samples, with the channel pointer arrays the process entries take.
template <typename Sample> struct StereoBlock
{
    explicit StereoBlock(std::size_t frames) : left(frames), right(frames) {}
    std::vector<Sample> left;
    std::vector<Sample> right;
    Sample* channels[2] = {left.data(), right.data()};
    std::size_t frames() const { return left.size(); }
};

// Fills both channels with noise of the given peak, from the generator.
template <typename Sample>
void fillNoise(StereoBlock<Sample>& block, std::mt19937& random, float peak)
{
    std::uniform_real_distribution<float> sample(-peak, peak);
    for (std::size_t i = 0; i < block.frames(); ++i)
    {
        block.left[i] = sample(random);
        block.right[i] = sample(random);
    }
}

// The largest magnitude of a block; infinity if any sample is not finite.
template <typename Sample> double largestMagnitude(const StereoBlock<Sample>& block);

// The process's resident memory now, in bytes.
long residentBytes();

// Fixed seed, so a failure can be replayed.
constexpr std::uint32_t kHardeningSeed = 20240611u;
constexpr VstInt32 kParameterCount = 17;
constexpr VstInt32 kProgramCount = 18;
constexpr VstInt32 kBypassIndex = 2;
constexpr VstInt32 kDitheringIndex = 16;
// The highest "Dithering" menu position (8 bits).
constexpr float kLargestDitheringPosition = 6.0f;
