#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

TEST(LimiterEngineFrame, ImpulseLeavesAt512FramesAtEveryRate)
{
    for (const float rate : {5000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f})
    {
        LimiterEngine engine;
        engine.setEngineSampleRate(rate);
        const auto out = render(engine, 2048,
                                [](int i) {
                                    return i == 0 ? Frame{0.5f, 0.5f} : Frame{0, 0};
                                });
        for (int i = 0; i < 2048; ++i)
        {
            const float expected = i == LimiterEngine::kLatencyFrames ? 0.5f : 0.0f;
            ASSERT_NEAR(out[i].left, expected, 1e-7f) << rate << " frame " << i;
            ASSERT_NEAR(out[i].right, expected, 1e-7f) << rate << " frame " << i;
        }
    }
}

TEST(LimiterEngineFrame, SilenceGivesExactZerosThenTheNoiseFloor)
{
    LimiterEngine engine;
    const auto out = renderConstant(engine, 1024, 0.0f, 0.0f);
    for (int i = 0; i < 512; ++i)
    {
        ASSERT_EQ(out[i].left, 0.0f);
        ASSERT_EQ(out[i].right, 0.0f);
    }
    float loudest = 0.0f;
    for (int i = 512; i < 1024; ++i)
    {
        loudest = std::max({loudest, std::fabs(out[i].left), std::fabs(out[i].right)});
    }
    // Noise of at most 1e-8 per channel; the construction side gain of 1.0 widens the image, so
    // the difference between the channels' noise can reach twice that.
    EXPECT_GT(loudest, 1e-9f);
    EXPECT_LE(loudest, 2e-8f);
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
        {
            ASSERT_EQ(out[i].left, 0.0f) << on << " frame " << i;
        }
        if (on)
        {
            EXPECT_NEAR(out[599].left, 1.5f, 1e-7f);
            EXPECT_NEAR(out[599].right, -1.5f, 1e-7f);
        }
        else
        {
            EXPECT_LE(std::fabs(out[599].left), 0.5f);
        }
    }
}

TEST(LimiterEngineFrame, SampleRateAndWordLengthLimits)
{
    LimiterEngine engine;
    engine.setEngineSampleRate(1000.0f);
    EXPECT_EQ(engine.getEngineSampleRate(), 5000.0f);
    EXPECT_EQ(engine.getLookAhead(), 13);

    const auto renderAt = [](int bits)
    {
        LimiterEngine quantised;
        makeNeutral(quantised);
        quantised.setDitherBits(bits);
        return render(quantised, 1500,
                      [](int i) {
                          return Frame{float(0.4 * std::sin(i * 0.05)), 0.1f};
                      });
    };
    EXPECT_EQ(hashOutputs(renderAt(32)), hashOutputs(renderAt(64)));
    const auto at24 = renderAt(24);
    EXPECT_NE(hashOutputs(at24), hashOutputs(renderAt(64)));
    for (const Frame& frame : at24)
    {
        ASSERT_EQ(std::ldexp(frame.left, 23), std::round(std::ldexp(frame.left, 23)));
    }
}

TEST(LimiterEngineFrame, HeldPeakDropsAfterTenSecondsOrAtTheSecondFrameAfterAReset)
{
    LimiterEngine engine;
    engine.setEngineSampleRate(5000.0f);
    makeNeutral(engine);
    const int holdFrames = 50000;
    renderConstant(engine, 512, 0.0f, 0.0f);
    EXPECT_EQ(engine.getPeakHoldDbLeft(), -INFINITY);
    engine.processSample(0.0f, 0.9f);
    renderConstant(engine, 512, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldRight(), 0.9f, 1e-6f);
    renderConstant(engine, holdFrames, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldRight(), 0.9f, 1e-6f);
    renderConstant(engine, 1, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldRight(), 0.1f, 1e-6f);

    engine.processSample(0.8f, 0.8f);
    renderConstant(engine, 600, 0.1f, 0.1f);
    EXPECT_NEAR(engine.getPeakHoldLeft(), 0.8f, 1e-6f);
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
    using Setter = void (LimiterEngine::*)(float);
    // Each time with a correlation threshold that puts its stage to work, along with the
    // leveller and the limiter.
    const struct
    {
        Setter setter;
        float correlationThreshold;
    } cases[] = {{&LimiterEngine::setCorrelationTime, 0.5f},
                 {&LimiterEngine::setEnvelopeHysteresis, -1.0f},
                 {&LimiterEngine::setEnvelopeRelease, -1.0f},
                 {&LimiterEngine::setRmsAttack, -1.0f},
                 {&LimiterEngine::setRmsRelease, -1.0f}};
    for (const auto& c : cases)
    {
        const auto renderWith = [&c](float seconds)
        {
            LimiterEngine engine;
            makeNeutral(engine);
            engine.setCorrelationThreshold(c.correlationThreshold);
            engine.setRmsThreshold(0.0f);
            engine.setRmsAttack(0.01f);
            (engine.*c.setter)(seconds);
            // Loud, then quiet, so the releases show too.
            const auto loudThenQuiet = [](int i)
            {
                const double level = i < 3000 ? 2.0 : 0.5;
                return Frame{float(level * std::sin(i * 0.3)), float(level * std::sin(i * 0.7))};
            };
            return hashOutputs(render(engine, 6000, loudThenQuiet));
        };
        EXPECT_EQ(renderWith(0.0f), renderWith(0.005f));
        EXPECT_NE(renderWith(0.01f), renderWith(0.005f));
    }
}
