#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace engine_test;

namespace
{
void applyProgramLikeSettings(LimiterEngine& engine)
{
    engine.setInputGain(0.19f);
    engine.setSideGain(0.6f);
    engine.setCorrelationThreshold(0.2f);
    engine.setSoftclipThreshold(-3.0f);
    engine.setSoftclipAmount(0.5f);
    engine.setRmsThreshold(-6.0f);
    engine.setEnvelopeHysteresis(0.1f);
    engine.setEnvelopeRelease(0.08f);
    engine.setInterSamplePeak(true);
    engine.setDitherBits(16);
}

Frame music(int i)
{
    return {float(0.7 * std::sin(i * 0.031) + 0.2 * std::sin(i * 0.7)),
            float(0.6 * std::sin(i * 0.029 + 1.0) - 0.2 * std::sin(i * 0.5))};
}

bool allFinite(const LimiterEngine& engine)
{
    const LimiterEngine& e = engine;
    for (const float value :
         {e.getOutputLeft(), e.getOutputRight(), e.getPeakLeft(), e.getPeakRight(), e.getRmsLeft(),
          e.getRmsRight(), e.getPeakHoldLeft(), e.getPeakHoldRight(), e.getCorrelation(),
          e.getCorrelationShortfall(), e.getLimiterGainLeft(), e.getLimiterGainRight(),
          e.getRmsGain()})
    {
        if (!std::isfinite(value))
        {
            return false;
        }
    }
    return true;
}
} // namespace

TEST(InputSafety, EnginesBuiltAndFedAlikeGiveIdenticalOutput)
{
    LimiterEngine first;
    LimiterEngine second;
    applyProgramLikeSettings(first);
    applyProgramLikeSettings(second);
    EXPECT_EQ(hashOutputs(render(first, 20000, music)), hashOutputs(render(second, 20000, music)));
}

TEST(InputSafety, NonFiniteAndHugeInputNeverPoisonsTheState)
{
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float bursts[] = {std::numeric_limits<float>::quiet_NaN(),  inf,    -inf, 1e30f, -1e30f,
                            std::numeric_limits<float>::denorm_min(), -1e-40f};
    constexpr int burstStart = 10000;
    constexpr int burstEnd = 12000;
    const auto damaged = [&](int i)
    {
        if (i >= burstStart && i < burstEnd)
        {
            return Frame{bursts[i % 7], bursts[(i / 7) % 7]};
        }
        return music(i);
    };

    LimiterEngine engine;
    LimiterEngine fresh;
    for (LimiterEngine* e : {&engine, &fresh})
    {
        applyProgramLikeSettings(*e);
        e->setOutputGain(0.8f);
    }
    // The output gain, plus what 16-bit dither and noise shaping may add on top.
    constexpr float kCeiling = 0.8f + 16.0f / 32768.0f;
    // A burst at +120 dBFS drives the envelope to about 1e6; its slow average takes a few
    // seconds to fall back to rest.
    constexpr int frames = 6 * 44100;
    for (int i = 0; i < frames; ++i)
    {
        const Frame in = damaged(i);
        engine.processSample(in.left, in.right);
        fresh.processSample(music(i).left, music(i).right);
        ASSERT_TRUE(allFinite(engine)) << "frame " << i;
        ASSERT_LE(std::fabs(engine.getOutputLeft()), kCeiling);
        ASSERT_LE(std::fabs(engine.getOutputRight()), kCeiling);
    }
    EXPECT_NEAR(engine.getOutputLeft(), fresh.getOutputLeft(), 1e-6f);
    EXPECT_NEAR(engine.getOutputRight(), fresh.getOutputRight(), 1e-6f);
    EXPECT_NEAR(engine.getLimiterGainLeft(), fresh.getLimiterGainLeft(), 1e-6f);
}

TEST(InputSafety, BypassedPathAlsoTreatsNonFiniteInputAsSilence)
{
    LimiterEngine engine;
    engine.setBypassed(true);
    const auto out = renderConstant(engine, 600, std::numeric_limits<float>::quiet_NaN(), 2e7f);
    EXPECT_NEAR(out.back().left, 0.0f, 1e-7f);
    EXPECT_EQ(out.back().right, 1e6f);
    EXPECT_TRUE(allFinite(engine));
}

TEST(InputSafety, AbsurdSampleRatesAreBounded)
{
    const struct
    {
        float requested;
        float stored;
    } cases[] = {{std::numeric_limits<float>::quiet_NaN(), 5000.0f},
                 {-std::numeric_limits<float>::infinity(), 5000.0f},
                 {std::numeric_limits<float>::infinity(), 1e7f},
                 {1e30f, 1e7f}};
    for (const auto& c : cases)
    {
        LimiterEngine engine;
        engine.setEngineSampleRate(c.requested);
        EXPECT_EQ(engine.getEngineSampleRate(), c.stored);
        render(engine, 20000, music);
        EXPECT_TRUE(allFinite(engine)) << c.requested;
    }
}
