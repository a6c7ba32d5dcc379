// The VST 2.4 edition's render, the reference the other editions are held to sample for sample:
// the built VarnholtPro.so driven as hosts drive it, the material the editions are compared on,
// and how far two renders differ.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "tests/support/HostedEffect.h"
#include "tests/support/TestSignals.h"

// An effect at 44.1 kHz, resumed, processing in place in blocks of 512 frames.
class Vst2ReferenceRender
{
  public:
    static constexpr double kSampleRateHz = 44100.0;
    static constexpr std::size_t kBlockFrames = 512;

    Vst2ReferenceRender()
    {
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kSampleRateHz));
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
    StereoSignal render(const StereoSignal& input)
    {
        StereoSignal output = input;
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

// Bursts up to +4 dBFS at the reference's rate, so every stage has work.
inline StereoSignal comparisonMaterial(std::size_t frames)
{
    return testSignal(TestSignal::bursts, frames, Vst2ReferenceRender::kSampleRateHz);
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
