#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace engine_test;

namespace
{
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

void applyProgramLikeSettings(LimiterEngine& engine)
{
    engine.setInputGain(1.9f);
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
    return testSignalFrame(TestSignal::hot, i, 44100.0);
}

bool allFinite(LimiterEngine& engine)
{
    bool finite = std::isfinite(engine.getOutputLeft()) && std::isfinite(engine.getOutputRight());
    for (const float value : meterReadings(engine))
        finite = finite && std::isfinite(value);
    return finite;
}
} // namespace

TEST(InputSafety, NonFiniteAndHugeInputNeverPoisonsTheState)
{
    const float bursts[] = {
        kNaN, kInf, -kInf, 1e30f, -1e30f, std::numeric_limits<float>::denorm_min(), -1e-40f};
    const auto damaged = [&](int i)
    {
        if (i >= 10000 && i < 12000)
            return Frame{bursts[i % 7], bursts[(i / 7) % 7]};
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
        engine.processSample(damaged(i).left, damaged(i).right);
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
    const auto out = renderConstant(engine, 600, kNaN, 2e7f);
    EXPECT_NEAR(out.back().left, 0.0f, 1e-7f);
    EXPECT_EQ(out.back().right, 1e6f);
    EXPECT_TRUE(allFinite(engine));
}

TEST(InputSafety, SampleRatesAreBoundedTo5kHzUpTo10MHz)
{
    const struct
    {
        float requestedHz;
        float storedHz;
    } cases[] = {
        {1000.0f, 5000.0f}, {kNaN, 5000.0f}, {-kInf, 5000.0f}, {kInf, 1e7f}, {1e30f, 1e7f}};
    for (const auto& c : cases)
    {
        LimiterEngine engine;
        engine.setEngineSampleRate(c.requestedHz);
        EXPECT_EQ(engine.getEngineSampleRate(), c.storedHz);
        render(engine, 20000, music);
        EXPECT_TRUE(allFinite(engine)) << c.requestedHz;
    }
}
