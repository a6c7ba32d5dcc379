#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
struct GainTrace
{
    float lowestGain = 1.0f;
    std::vector<Frame> out;
};

// A neutral engine fed `frames` frames of `level` from frame 100 on, in silence.
GainTrace traceBurst(bool interSamplePeak, int frames, float level)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setInterSamplePeak(interSamplePeak);
    GainTrace trace;
    for (int i = 0; i < 1200; ++i)
    {
        const float in = i >= 100 && i < 100 + frames ? level : 0.0f;
        engine.processSample(in, in);
        trace.out.push_back({engine.getOutputLeft(), engine.getOutputRight()});
        trace.lowestGain = std::min(trace.lowestGain, engine.getLimiterGainLeft());
    }
    return trace;
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
        const GainTrace trace = traceBurst(false, length, 4.0f);
        if (length < 3)
        {
            EXPECT_EQ(trace.lowestGain, 1.0f) << length;
            EXPECT_EQ(trace.out[612].left, 1.0f) << "clamped at the output";
        }
        else
        {
            EXPECT_LT(trace.lowestGain, 0.5f);
        }
    }
}

TEST(PeakLimiter, InterSamplePeakDetectionCatchesASingleSample)
{
    const GainTrace trace = traceBurst(true, 1, 4.0f);
    EXPECT_NEAR(trace.lowestGain, 0.25f, 0.01f);
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
        makeNeutral(engine);
        engine.setInterSamplePeak(interSamplePeak);
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
    makeNeutral(linked);
    linked.setStereoLink(1.0f);
    renderConstant(linked, 3000, 2.0f, 0.5f);
    EXPECT_LT(linked.getLimiterGainLeft(), 0.5f);
    EXPECT_EQ(linked.getLimiterGainLeft(), linked.getLimiterGainRight());

    LimiterEngine independent;
    makeNeutral(independent);
    independent.setStereoLink(0.0f);
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
        makeNeutral(engine);
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
