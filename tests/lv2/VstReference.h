// The VST 2.4 edition's render of the same settings: the built VarnholtPro.so through dlopen,
// driven as hosts drive it, and the test material both editions get.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "Lv2Bundle.h"
#include "tests/support/HostedEffect.h"

constexpr float kSampleRateHz = 44100.0f;
constexpr int kVstBlockFrames = 512;

// Both editions' test material: bursts up to +4 dBFS, so every stage has work.
inline Stereo testMaterial(std::size_t frames)
{
    return testSignal(TestSignal::bursts, frames, kSampleRateHz);
}

// An effect at 44.1 kHz, resumed, processing in blocks of kVstBlockFrames.
class VstReference
{
  public:
    VstReference()
    {
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRateHz);
        effect.dispatch(effMainsChanged, 0, 1);
    }
    void setProgram(int program) { effect.dispatch(effSetProgram, 0, program); }
    void setParameter(int index, float value) { effect.setParameter(index, value); }
    // effMainsChanged off and on: the host's suspend and resume.
    void restart()
    {
        effect.dispatch(effMainsChanged, 0, 0);
        effect.dispatch(effMainsChanged, 0, 1);
    }
    Stereo render(const Stereo& input)
    {
        Stereo output = input;
        for (std::size_t done = 0; done < input.left.size(); done += kVstBlockFrames)
        {
            const auto frames = static_cast<VstInt32>(
                std::min<std::size_t>(kVstBlockFrames, input.left.size() - done));
            float* channels[] = {output.left.data() + done, output.right.data() + done};
            effect->processReplacing(effect.get(), channels, channels, frames);
        }
        return output;
    }

  private:
    HostedEffect effect;
};

// The largest difference between two renders; infinity when either holds a NaN.
inline float maxDifference(const Stereo& a, const Stereo& b)
{
    float largest = 0.0f;
    for (std::size_t i = 0; i < a.left.size(); ++i)
    {
        for (const float difference :
             {std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])})
        {
            if (std::isnan(difference))
                return std::numeric_limits<float>::infinity();
            largest = std::max(largest, difference);
        }
    }
    return largest;
}
