#pragma once

#include "engine/LimiterEngine.h"
#include "tests/support/TestSignals.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace engine_test
{
constexpr double kPi = 3.14159265358979323846;

using Frame = StereoSample;

// Every stage but the peak limiter passes the signal unchanged: drive x1, image unchanged,
// correlation limiter and soft clipper off, leveller threshold far above any test signal.
inline void makeNeutral(LimiterEngine& engine)
{
    engine.setInputGain(1.0f);
    engine.setSideGain(0.5f);
    engine.setCorrelationThreshold(-1.0f);
    engine.setSoftclipAmount(0.0f);
    engine.setRmsThreshold(20.0f);
}

// Processes input(i) for i in 0..frames - 1 and returns the outputs.
inline std::vector<Frame> render(LimiterEngine& engine, int frames,
                                 const std::function<Frame(int)>& input)
{
    std::vector<Frame> outputs(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
    {
        const Frame in = input(i);
        engine.processSample(in.left, in.right);
        outputs[i] = {engine.getOutputLeft(), engine.getOutputRight()};
    }
    return outputs;
}

inline std::vector<Frame> renderConstant(LimiterEngine& engine, int frames, float left, float right)
{
    return render(engine, frames, [=](int) { return Frame{left, right}; });
}

// Every meter a user-interface thread reads (the soft clipper's reset on reading), in one
// array so two engines compare with one EXPECT_EQ.
inline std::array<float, 13> meterReadings(LimiterEngine& e)
{
    return {e.getPeakLeft(),         e.getPeakRight(),
            e.getRmsLeft(),          e.getRmsRight(),
            e.getPeakHoldLeft(),     e.getPeakHoldRight(),
            e.getCorrelation(),      e.getCorrelationShortfall(),
            e.getLimiterGainLeft(),  e.getLimiterGainRight(),
            e.getSoftclipGainLeft(), e.getSoftclipGainRight(),
            e.getRmsGain()};
}

// Any change of any output bit changes it.
inline std::uint64_t hashOutputs(const std::vector<Frame>& outputs)
{
    OutputHash hash;
    for (const Frame& frame : outputs)
    {
        hash.add(frame.left);
        hash.add(frame.right);
    }
    return hash.value();
}
} // namespace engine_test
