// The material the processor's renders are checked on: the output pins' programme, driven 6 dB
// hot so every stage has work.
#pragma once

#include "Vst3TestHost.h"
#include "tests/support/TestSignals.h"

inline Stereo testMaterial(int frames)
{
    Stereo s =
        testSignal(TestSignal::hot, static_cast<std::size_t>(frames), HostedVst3::kSampleRateHz);
    for (std::vector<float>* channel : {&s.left, &s.right})
        for (float& sample : *channel)
            sample *= 2.0f;
    return s;
}
