// The VST 2.4 edition's render of the same material: the built VarnholtPro.so driven as hosts
// drive it, in blocks of 512 frames, in place.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include "ClapTestHost.h"
#include "tests/support/HostedEffect.h"

constexpr int kVstBlockFrames = 512;

// The material the LV2 edition's comparison renders too: bursts up to +4 dBFS, so every stage
// has work.
inline StereoSignal testMaterial(std::size_t frames)
{
    return testSignal(TestSignal::bursts, frames, ClapInstance::kSampleRateHz);
}

inline StereoSignal vstRender(const StereoSignal& input, int program = -1,
                              const std::vector<std::pair<int, float>>& changes = {})
{
    HostedEffect effect;
    effect.dispatch(effSetSampleRate, 0, 0, nullptr,
                    static_cast<float>(ClapInstance::kSampleRateHz));
    effect.dispatch(effMainsChanged, 0, 1);
    if (program >= 0)
        effect.dispatch(effSetProgram, 0, program);
    for (const auto& [index, value] : changes)
        effect.setParameter(index, value);
    StereoSignal output = input;
    for (std::size_t done = 0; done < input.left.size(); done += kVstBlockFrames)
    {
        const auto frames =
            static_cast<VstInt32>(std::min<std::size_t>(kVstBlockFrames, input.left.size() - done));
        float* channels[] = {output.left.data() + done, output.right.data() + done};
        effect->processReplacing(effect.get(), channels, channels, frames);
    }
    return output;
}

// The largest difference between two renders; infinity when either holds a NaN.
inline float maxDifference(const StereoSignal& a, const StereoSignal& b)
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

// Every sample finite and within full scale.
inline bool withinFullScale(const StereoSignal& s)
{
    for (std::size_t i = 0; i < s.left.size(); ++i)
        if (!(std::fabs(s.left[i]) <= 1.0f && std::fabs(s.right[i]) <= 1.0f))
            return false;
    return true;
}
