#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

TEST(LimiterEngineFrame, ImpulseLeavesAt512FramesAtEveryRateAfterExactSilence)
{
    constexpr int latency = LimiterEngine::kLatencyFrames;
    const auto impulse = [](int i) { return i == 0 ? Frame{0.5f, 0.5f} : Frame{0, 0}; };
    for (const float rateHz : {5000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f})
    {
        LimiterEngine engine;
        engine.setEngineSampleRate(rateHz);
        const auto out = render(engine, 2048, impulse);
        // Exact zeros until the impulse arrives, then the noise floor of at most 1e-8 per
        // channel, doubled by the construction side gain of 1.0.
        for (int i = 0; i < 2048; ++i)
            ASSERT_NEAR(out[i].left, i == latency ? 0.5f : 0.0f, i < latency ? 0.0f : 2e-8f)
                << rateHz << " Hz, frame " << i;
    }
}

TEST(LimiterEngineFrame, BypassClearsTheLinesAndPassesTheDelayedInputUnclamped)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setOutputGain(0.5f);
    renderConstant(engine, 1000, 0.3f, 0.3f);
    for (const bool on : {true, true, false})
    {
        engine.setBypassed(on);
        const auto out = renderConstant(engine, 600, 1.5f, -1.5f);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(out[i].left, 0.0f) << on << " frame " << i;
        // Bypassed, 1.5 comes through as it is; processed, within the output gain of 0.5.
        EXPECT_NEAR(out[599].left, on ? 1.5f : 0.0f, on ? 1e-7f : 0.5f) << on;
    }
}

TEST(LimiterEngineFrame, WordLengthsAbove24BitsLeaveFloatOutputUnchanged)
{
    const auto renderAt = [](int bits)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setDitherBits(bits);
        return render(engine, 1500,
                      [](int i) {
                          return Frame{float(0.4 * std::sin(i * 0.05)), 0};
                      });
    };
    EXPECT_EQ(hashOutputs(renderAt(32)), hashOutputs(renderAt(64)));
    const auto at24 = renderAt(24);
    EXPECT_NE(hashOutputs(at24), hashOutputs(renderAt(64)));
    for (const Frame& frame : at24)
        ASSERT_EQ(std::ldexp(frame.left, 23), std::round(std::ldexp(frame.left, 23)));
}

TEST(LimiterEngineFrame, HeldPeakDropsAfterTenSecondsOrAtTheSecondFrameAfterAReset)
{
    LimiterEngine engine;
    engine.setEngineSampleRate(5000.0f);
    makeNeutral(engine);
    constexpr int holdFrames = 10 * 5000;
    renderConstant(engine, 512, 0.0f, 0.0f);
    EXPECT_EQ(engine.getPeakHoldDbLeft(), -INFINITY);
    engine.processSample(0.0f, 0.9f);
    renderConstant(engine, 512 + holdFrames, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldRight(), 0.9f, 1e-6f);
    renderConstant(engine, 1, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldRight(), 0.1f, 1e-6f);

    engine.processSample(0.8f, 0.8f);
    renderConstant(engine, 600, 0.1f, 0.1f);
    engine.resetPeakHold();
    renderConstant(engine, 1, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldLeft(), 0.8f, 1e-6f);
    renderConstant(engine, 1, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldLeft(), 0.1f, 1e-6f);

    renderConstant(engine, 600, 0.0f, 0.0f);
    engine.resetState();
    renderConstant(engine, 2000, 0.0f, 0.0f);
    EXPECT_NEAR(engine.getPeakHoldDbLeft(), -160.0f, 6.0f);
}

TEST(LimiterEngineFrame, PeakAndRmsMetersFollowTheOutput)
{
    LimiterEngine engine;
    makeNeutral(engine);
    renderConstant(engine, 44100 * 3, 0.5f, -0.25f);
    // A level equal to the held one does not re-arm it, so the meter may be one frame into
    // its decay.
    EXPECT_NEAR(engine.getPeakLeft(), 0.5f, 2e-5f);
    EXPECT_NEAR(engine.getPeakRight(), 0.25f, 2e-5f);
    EXPECT_NEAR(engine.getRmsLeft(), 0.5f, 1e-4f);
    EXPECT_NEAR(engine.getRmsRight(), 0.25f, 1e-4f);
    renderConstant(engine, 44100, 0.0f, 0.0f);
    // The last 0.5 leaves 512 frames into the silence; the meter decays by about 1/e per second.
    EXPECT_NEAR(engine.getPeakLeft(), 0.5 * std::exp(-(44100.0 - 512.0) / 44100.0), 5e-4);
}

TEST(LimiterEngineFrame, TimeSettersFloorAtFiveMilliseconds)
{
    // Each setter with a correlation threshold that puts its stage to work, with the leveller and
    // the limiter; loud, then quiet, so the releases show too.
    const struct
    {
        void (LimiterEngine::*setter)(float);
        float correlationThreshold;
    } cases[] = {{&LimiterEngine::setCorrelationTime, 0.5f},
                 {&LimiterEngine::setEnvelopeHysteresis, -1.0f},
                 {&LimiterEngine::setEnvelopeRelease, -1.0f},
                 {&LimiterEngine::setRmsAttack, -1.0f},
                 {&LimiterEngine::setRmsRelease, -1.0f}};
    const auto loudThenQuiet = [](int i)
    {
        const double level = i < 3000 ? 2.0 : 0.5;
        return Frame{float(level * std::sin(i * 0.3)), float(level * std::sin(i * 0.7))};
    };
    for (const auto& c : cases)
    {
        const auto renderWith = [&](float seconds)
        {
            LimiterEngine engine;
            makeNeutral(engine);
            engine.setCorrelationThreshold(c.correlationThreshold);
            engine.setRmsThreshold(0.0f);
            engine.setRmsAttack(0.01f);
            (engine.*c.setter)(seconds);
            return hashOutputs(render(engine, 6000, loudThenQuiet));
        };
        EXPECT_EQ(renderWith(0.0f), renderWith(0.005f));
        EXPECT_NE(renderWith(0.01f), renderWith(0.005f));
    }
}
