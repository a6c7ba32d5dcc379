#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
struct GainTrace
{
    float lowestLeft = 1.0f;
    float lowestRight = 1.0f;
    std::vector<Frame> out;
};

// Burst of `frames` frames of `level` on the left (and `right` on the right) in silence.
GainTrace traceBurst(LimiterEngine& engine, int start, int frames, float left, float right,
                     int total)
{
    GainTrace trace;
    for (int i = 0; i < total; ++i)
    {
        const bool on = i >= start && i < start + frames;
        engine.processSample(on ? left : 0.0f, on ? right : 0.0f);
        trace.out.push_back({engine.getOutputLeft(), engine.getOutputRight()});
        trace.lowestLeft = std::min(trace.lowestLeft, engine.getLimiterGainLeft());
        trace.lowestRight = std::min(trace.lowestRight, engine.getLimiterGainRight());
    }
    return trace;
}

LimiterEngine* neutral(LimiterEngine& engine, bool interSamplePeak)
{
    makeNeutral(engine);
    engine.setInterSamplePeak(interSamplePeak);
    return &engine;
}
} // namespace

TEST(PeakLimiter, ConstantLevels)
{
    LimiterEngine quiet;
    makeNeutral(quiet);
    renderConstant(quiet, 5000, 0.5f, 0.5f);
    EXPECT_EQ(quiet.getLimiterGainLeft(), 1.0f);
    EXPECT_EQ(quiet.getLimiterGainRight(), 1.0f);

    // The held excess alternates between 1 and the hold coefficient, so the gain sits a little
    // below 1 / (1 + peakNormalisation).
    LimiterEngine loud;
    makeNeutral(loud);
    const auto out = renderConstant(loud, 44100, 2.0f, 2.0f);
    EXPECT_NEAR(loud.getLimiterGainLeft(), 0.3743f, 3e-4f);
    EXPECT_NEAR(out.back().left, 0.7486f, 6e-4f);
}

TEST(PeakLimiter, ThreeSampleMinimumIgnoresShortExcursions)
{
    for (const int length : {1, 2, 3})
    {
        LimiterEngine engine;
        const GainTrace trace = traceBurst(*neutral(engine, false), 100, length, 4.0f, 4.0f, 1200);
        if (length < 3)
        {
            EXPECT_EQ(trace.lowestLeft, 1.0f) << length;
            EXPECT_EQ(trace.out[612].left, 1.0f) << "clamped at the output";
        }
        else
        {
            EXPECT_LT(trace.lowestLeft, 0.5f);
        }
    }
}

TEST(PeakLimiter, InterSamplePeakDetectionCatchesASingleSample)
{
    LimiterEngine engine;
    const GainTrace trace = traceBurst(*neutral(engine, true), 100, 1, 4.0f, 4.0f, 1200);
    EXPECT_NEAR(trace.lowestLeft, 0.25f, 0.01f);
    EXPECT_NEAR(trace.out[612].left, 1.0f, 0.02f);
}

TEST(PeakLimiter, QuarterRateSineBetweenItsPeaks)
{
    // Samples at +-0.849; the true peaks of 1.2 lie half-way between them.
    const auto sine = [](int i)
    {
        const float v = float(1.2 * std::sin(kPi / 2.0 * i + kPi / 4.0));
        return Frame{v, v};
    };
    for (const bool interSamplePeak : {false, true})
    {
        LimiterEngine engine;
        neutral(engine, interSamplePeak);
        float lowest = 1.0f;
        for (int i = 0; i < 4000; ++i)
        {
            engine.processSample(sine(i).left, sine(i).right);
            lowest = std::min(lowest, engine.getLimiterGainLeft());
        }
        if (interSamplePeak)
        {
            EXPECT_LT(lowest, 0.95f);
        }
        else
        {
            EXPECT_EQ(lowest, 1.0f);
        }
    }
}

TEST(PeakLimiter, StereoLinkSharesTheLargerEnvelope)
{
    LimiterEngine linked;
    neutral(linked, false)->setStereoLink(1.0f);
    renderConstant(linked, 3000, 2.0f, 0.5f);
    EXPECT_LT(linked.getLimiterGainLeft(), 0.5f);
    EXPECT_EQ(linked.getLimiterGainLeft(), linked.getLimiterGainRight());

    LimiterEngine independent;
    neutral(independent, false)->setStereoLink(0.0f);
    renderConstant(independent, 3000, 2.0f, 0.5f);
    EXPECT_LT(independent.getLimiterGainLeft(), 0.5f);
    EXPECT_EQ(independent.getLimiterGainRight(), 1.0f);
}

TEST(PeakLimiter, HysteresisHoldsTheGainAfterASustainedExcessOnly)
{
    // Frames after the burst has left the delay line until the gain is back above 0.9.
    const auto recoveryFrames = [](int burstFrames)
    {
        LimiterEngine engine;
        neutral(engine, false);
        engine.setEnvelopeRelease(0.005f);
        engine.setEnvelopeHysteresis(0.2f);
        renderConstant(engine, burstFrames, 2.0f, 2.0f);
        renderConstant(engine, 512, 0.0f, 0.0f);
        int frames = 0;
        while (engine.getLimiterGainLeft() < 0.9f && frames < 441000)
        {
            engine.processSample(0.0f, 0.0f);
            ++frames;
        }
        return frames;
    };
    const int afterLong = recoveryFrames(2 * 44100);
    const int afterShort = recoveryFrames(441);
    EXPECT_GT(afterLong, 44100 / 10);
    EXPECT_LT(afterLong, 44100);
    EXPECT_LT(afterShort * 4, afterLong);
}
