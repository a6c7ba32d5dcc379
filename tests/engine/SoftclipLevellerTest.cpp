#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

TEST(SoftClipper, CurveValues)
{
    const struct
    {
        float thresholdDb, amount, input, output, tolerance;
    } table[] = {
        {0.0f, 1.0f, 0.5f, 0.4375f, 1e-7f},
        {0.0f, 1.0f, -0.5f, -0.4375f, 1e-7f},
        {0.0f, 1.0f, 2.0f, 1.0f, 0.0f},
        {0.0f, 1.0f, 7.0f, 1.0f, 0.0f},
        // Ceiling T = 0.1 at -20 dB, half mixed: 0.3 becomes 0.5 * 0.3 + 0.5 * 0.1.
        {-20.0f, 0.5f, 0.3f, 0.2f, 1e-7f},
        {20.0f, 1.0f, 1.0f, 0.975f, 1e-6f},
        {0.0f, 0.01f, 0.5f, 0.5f, 1e-7f},
    };
    for (const auto& row : table)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setSoftclipThreshold(row.thresholdDb);
        engine.setSoftclipAmount(row.amount);
        EXPECT_NEAR(renderConstant(engine, 600, row.input, row.input).back().left, row.output,
                    row.tolerance)
            << row.thresholdDb << " dB, amount " << row.amount << ", input " << row.input;
    }
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
    const auto rmsGain = [](float thresholdDb)
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setRmsThreshold(thresholdDb);
        render(engine, 3 * 44100,
               [](int i)
               {
                   const float v = float(std::sin(2.0 * kPi * 1000.0 * i / 44100.0));
                   return Frame{v, v};
               });
        return engine.getRmsGain();
    };
    EXPECT_NEAR(rmsGain(-12.0f), 0.355f, 0.003f);
    EXPECT_EQ(rmsGain(0.0f), 1.0f);
}
