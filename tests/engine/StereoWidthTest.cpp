#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
// A 5 kHz sine, well above the 800 Hz high-pass of the statistics, at the given phase factor
// on the right channel: 1 for mono, -1 for anti-phase.
Frame sine(int i, float rightFactor)
{
    const float v = float(0.5 * std::sin(2.0 * kPi * 5000.0 * i / 44100.0));
    return {v, rightFactor * v};
}

void renderSine(LimiterEngine& engine, float rightFactor, int frames = 44100)
{
    render(engine, frames, [=](int i) { return sine(i, rightFactor); });
}
} // namespace

TEST(StereoWidth, SideGainSetsTheImageWidth)
{
    LimiterEngine unchanged;
    makeNeutral(unchanged);
    const auto same = renderConstant(unchanged, 600, 0.4f, -0.2f);
    EXPECT_NEAR(same.back().left, 0.4f, 1e-7f);
    EXPECT_NEAR(same.back().right, -0.2f, 1e-7f);

    LimiterEngine mono;
    makeNeutral(mono);
    mono.setSideGain(0.0f);
    const auto centre = renderConstant(mono, 600, 0.4f, -0.2f);
    EXPECT_NEAR(centre.back().left, 0.1f, 1e-7f);
    EXPECT_NEAR(centre.back().right, 0.1f, 1e-7f);

    LimiterEngine wide;
    makeNeutral(wide);
    wide.setSideGain(1.0f);
    const auto doubled = renderConstant(wide, 600, 0.4f, -0.2f);
    EXPECT_NEAR(doubled.back().left, 0.7f, 1e-7f);
    EXPECT_NEAR(doubled.back().right, -0.5f, 1e-7f);
}

TEST(StereoWidth, CorrelationReadings)
{
    LimiterEngine fresh;
    EXPECT_NEAR(fresh.getCorrelation(), 0.5f, 1e-6f);

    LimiterEngine mono;
    makeNeutral(mono);
    renderSine(mono, 1.0f);
    EXPECT_NEAR(mono.getCorrelation(), 1.0f, 1e-3f);
    EXPECT_EQ(mono.getCorrelationShortfall(), 0.0f);

    LimiterEngine antiPhase;
    makeNeutral(antiPhase);
    renderSine(antiPhase, -1.0f);
    EXPECT_NEAR(antiPhase.getCorrelation(), -1.0f, 1e-3f);
    antiPhase.setCorrelationThreshold(0.3f);
    EXPECT_FLOAT_EQ(antiPhase.getCorrelation(), 0.3f);
    EXPECT_NEAR(antiPhase.getCorrelationShortfall(), 1.3f, 1e-3f);
    antiPhase.setBypassed(true);
    renderSine(antiPhase, -1.0f, 2000);
    EXPECT_NEAR(antiPhase.getCorrelation(), -1.0f, 0.01f);
    EXPECT_EQ(antiPhase.getCorrelationShortfall(), 0.0f);
}

TEST(StereoWidth, CorrelationLimiterNarrowsTheImageToTheThreshold)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setCorrelationThreshold(0.0f);
    const auto out = render(engine, 44100, [](int i) { return sine(i, -1.0f); });
    float loudest = 0.0f;
    for (int i = 22050; i < 44100; ++i)
    {
        loudest = std::max(loudest, std::fabs(out[i].left));
    }
    EXPECT_LT(loudest, 0.01f);
    EXPECT_NEAR(engine.getCorrelation(), 0.0f, 1e-6f);
    EXPECT_NEAR(engine.getCorrelationShortfall(), 1.0f, 1e-3f);

    LimiterEngine full;
    makeNeutral(full);
    full.setCorrelationThreshold(1.0f);
    for (const Frame& frame : renderConstant(full, 2000, 0.4f, -0.2f))
    {
        ASSERT_EQ(frame.left, frame.right);
    }
}

TEST(StereoWidth, LowThresholdsSwitchTheLimiterOff)
{
    const auto renderAt = [](float threshold)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setCorrelationThreshold(threshold);
        return hashOutputs(render(engine, 20000, [](int i) { return sine(i, -0.9f); }));
    };
    EXPECT_EQ(renderAt(-0.95f), renderAt(-1.0f));
    EXPECT_NE(renderAt(-0.9f), renderAt(-1.0f));
}
