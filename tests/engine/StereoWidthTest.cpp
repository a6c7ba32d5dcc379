#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
// A 5 kHz sine, well above the 800 Hz high-pass of the statistics, at the given phase factor
// on the right channel: 1 for mono, -1 for anti-phase.
std::function<Frame(int)> sine(float rightFactor)
{
    return [rightFactor](int i)
    {
        const float v = float(0.5 * std::sin(2.0 * kPi * 5000.0 * i / 44100.0));
        return Frame{v, rightFactor * v};
    };
}
} // namespace

TEST(StereoWidth, SideGainSetsTheImageWidth)
{
    const struct
    {
        float sideGain;
        Frame out;
    } table[] = {{0.5f, {0.4f, -0.2f}}, {0.0f, {0.1f, 0.1f}}, {1.0f, {0.7f, -0.5f}}};
    for (const auto& row : table)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setSideGain(row.sideGain);
        const Frame out = renderConstant(engine, 600, 0.4f, -0.2f).back();
        EXPECT_NEAR(out.left, row.out.left, 1e-7f) << row.sideGain;
        EXPECT_NEAR(out.right, row.out.right, 1e-7f) << row.sideGain;
    }
}

TEST(StereoWidth, CorrelationReadings)
{
    LimiterEngine fresh;
    EXPECT_NEAR(fresh.getCorrelation(), 0.5f, 1e-6f);

    LimiterEngine mono;
    makeNeutral(mono);
    render(mono, 44100, sine(1.0f));
    EXPECT_NEAR(mono.getCorrelation(), 1.0f, 1e-3f);
    EXPECT_EQ(mono.getCorrelationShortfall(), 0.0f);

    LimiterEngine antiPhase;
    makeNeutral(antiPhase);
    render(antiPhase, 44100, sine(-1.0f));
    EXPECT_NEAR(antiPhase.getCorrelation(), -1.0f, 1e-3f);
    antiPhase.setCorrelationThreshold(0.3f);
    EXPECT_FLOAT_EQ(antiPhase.getCorrelation(), 0.3f);
    EXPECT_NEAR(antiPhase.getCorrelationShortfall(), 1.3f, 1e-3f);
    antiPhase.setBypassed(true);
    render(antiPhase, 2000, sine(-1.0f));
    EXPECT_NEAR(antiPhase.getCorrelation(), -1.0f, 0.01f);
    EXPECT_EQ(antiPhase.getCorrelationShortfall(), 0.0f);
}

TEST(StereoWidth, CorrelationLimiterNarrowsTheImageToTheThreshold)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setCorrelationThreshold(0.0f);
    const auto out = render(engine, 44100, sine(-1.0f));
    for (int i = 22050; i < 44100; ++i)
        ASSERT_LT(std::fabs(out[i].left), 0.01f) << i;
    EXPECT_NEAR(engine.getCorrelation(), 0.0f, 1e-6f);
    EXPECT_NEAR(engine.getCorrelationShortfall(), 1.0f, 1e-3f);

    LimiterEngine full;
    makeNeutral(full);
    full.setCorrelationThreshold(1.0f);
    for (const Frame& frame : renderConstant(full, 2000, 0.4f, -0.2f))
        ASSERT_EQ(frame.left, frame.right);
}

TEST(StereoWidth, ThresholdsBelowMinus0Point9SwitchTheLimiterOff)
{
    const auto renderAt = [](float threshold)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setCorrelationThreshold(threshold);
        return hashOutputs(render(engine, 20000, sine(-0.9f)));
    };
    EXPECT_EQ(renderAt(-0.95f), renderAt(-1.0f));
    EXPECT_NE(renderAt(-0.9f), renderAt(-1.0f));
}
