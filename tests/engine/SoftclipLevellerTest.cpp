#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
// Output for a constant input through the soft clipper; the limiter has nothing to do.
float clipped(float thresholdDb, float amount, float input)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setSoftclipThreshold(thresholdDb);
    engine.setSoftclipAmount(amount);
    return renderConstant(engine, 600, input, input).back().left;
}
} // namespace

TEST(SoftClipper, CurveValues)
{
    EXPECT_NEAR(clipped(0.0f, 1.0f, 0.5f), 0.4375f, 1e-7f);
    EXPECT_NEAR(clipped(0.0f, 1.0f, -0.5f), -0.4375f, 1e-7f);
    EXPECT_EQ(clipped(0.0f, 1.0f, 2.0f), 1.0f);
    EXPECT_EQ(clipped(0.0f, 1.0f, 7.0f), 1.0f);
    // Ceiling T = 0.1 at -20 dB, half mixed: 0.3 becomes 0.5 * 0.3 + 0.5 * 0.1.
    EXPECT_NEAR(clipped(-20.0f, 0.5f, 0.3f), 0.2f, 1e-7f);
    EXPECT_NEAR(clipped(20.0f, 1.0f, 1.0f), 0.975f, 1e-6f);
    EXPECT_NEAR(clipped(0.0f, 0.01f, 0.5f), 0.5f, 1e-7f);
}

TEST(SoftClipper, GainMeterReportsThePeakSinceTheLastRead)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setSoftclipThreshold(0.0f);
    engine.setSoftclipAmount(1.0f);
    // Setting the amount arms both peaks at 1.0, a gain of 0.75 at this threshold.
    EXPECT_NEAR(engine.getSoftclipGainLeft(), 0.75f, 1e-6f);
    EXPECT_NEAR(engine.getSoftclipGainRight(), 0.75f, 1e-6f);
    renderConstant(engine, 100, 0.5f, 0.5f);
    EXPECT_NEAR(engine.getSoftclipGainLeft(), 0.875f, 1e-6f);
    EXPECT_NEAR(engine.getSoftclipGainLeft(), 1.0f, 1e-6f);
    EXPECT_NEAR(engine.getSoftclipGainRight(), 0.875f, 1e-6f);
    renderConstant(engine, 100, 4.0f, 4.0f);
    EXPECT_NEAR(engine.getSoftclipGainRight(), 0.25f, 1e-6f);
}

TEST(RmsLeveller, HoldsTheTrackedLevelAtTheThreshold)
{
    const auto fullScaleSine = [](int i)
    {
        const float v = float(std::sin(2.0 * kPi * 1000.0 * i / 44100.0));
        return Frame{v, v};
    };
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setRmsThreshold(-12.0f);
    render(engine, 3 * 44100, fullScaleSine);
    EXPECT_NEAR(engine.getRmsGain(), 0.355f, 0.003f);

    LimiterEngine below;
    makeNeutral(below);
    below.setRmsThreshold(0.0f);
    render(below, 44100, fullScaleSine);
    EXPECT_EQ(below.getRmsGain(), 1.0f);
}
