// The VST 2.4 edition's render of the same settings, and the material both editions get.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include "Vst3TestHost.h"
#include "tests/support/HostedEffect.h"
#include "tests/support/TestSignals.h"

// The pins' programme at 44.1 kHz, driven 6 dB hot so every stage has work.
inline Stereo testMaterial(int frames)
{
    Stereo s{std::vector<float>(static_cast<std::size_t>(frames)),
             std::vector<float>(static_cast<std::size_t>(frames))};
    for (int i = 0; i < frames; ++i)
    {
        const StereoSample frame = testSignalFrame(TestSignal::hot, static_cast<std::size_t>(i),
                                                   HostedVst3::kSampleRateHz);
        s.left[static_cast<std::size_t>(i)] = 2.0f * frame.left;
        s.right[static_cast<std::size_t>(i)] = 2.0f * frame.right;
    }
    return s;
}

// The VST 2.4 library at 44.1 kHz, resumed, in blocks of 512 frames.
class Vst2Reference
{
  public:
    Vst2Reference()
    {
        effect.dispatch(effSetSampleRate, 0, 0, nullptr,
                        static_cast<float>(HostedVst3::kSampleRateHz));
        effect.dispatch(effMainsChanged, 0, 1);
    }
    void setProgram(int program) { effect.dispatch(effSetProgram, 0, program); }
    void setParameter(int index, float value) { effect.setParameter(index, value); }
    Stereo render(const Stereo& input)
    {
        constexpr std::size_t kBlockFrames = 512;
        Stereo output = input;
        for (std::size_t done = 0; done < input.left.size(); done += kBlockFrames)
        {
            const auto frames =
                static_cast<VstInt32>(std::min(kBlockFrames, input.left.size() - done));
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
