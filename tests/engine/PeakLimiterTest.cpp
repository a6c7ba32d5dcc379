#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine_test;

namespace
{
// Lowest limiter gain of a neutral engine fed `input`; outputs go to `out` if given.
float lowestGain(bool interSamplePeak, int frames, const std::function<Frame(int)>& input,
                 std::vector<Frame>* out = nullptr)
{
    LimiterEngine engine;
    makeNeutral(engine);
    engine.setInterSamplePeak(interSamplePeak);
    float lowest = 1.0f;
    for (int i = 0; i < frames; ++i)
    {
        engine.processSample(input(i).left, input(i).right);
        lowest = std::min(lowest, engine.getLimiterGainLeft());
        if (out)
            out->push_back({engine.getOutputLeft(), engine.getOutputRight()});
    }
    return lowest;
}

// `length` frames of 4.0 from frame 100 on, in silence: they leave the delay line at 612.
std::function<Frame(int)> burst(int length)
{
    return [length](int i) { return i >= 100 && i < 100 + length ? Frame{4, 4} : Frame{0, 0}; };
}
} // namespace

TEST(PeakLimiter, ConstantLevels)
{
    EXPECT_EQ(lowestGain(false, 5000, [](int) { return Frame{0.5f, 0.5f}; }), 1.0f);

    // The held excess alternates between 1 and the hold coefficient, so the gain sits a little
    // below 1 / (1 + peakNormalisation).
    LimiterEngine loud;
    makeNeutral(loud);
    const auto out = renderConstant(loud, 44100, 2.0f, 2.0f);
    EXPECT_NEAR(loud.getLimiterGainLeft(), 0.3743f, 3e-4f);
    EXPECT_NEAR(out.back().left, 0.7486f, 6e-4f);
}

TEST(PeakLimiter, ThreeSampleMinimumUnlessInterSamplePeaksAreDetected)
{
    for (const int length : {1, 2})
    {
        std::vector<Frame> out;
        EXPECT_EQ(lowestGain(false, 1200, burst(length), &out), 1.0f) << length;
        EXPECT_EQ(out[612].left, 1.0f) << "clamped at the output";
    }
    EXPECT_LT(lowestGain(false, 1200, burst(3)), 0.5f);

    std::vector<Frame> out;
    EXPECT_NEAR(lowestGain(true, 1200, burst(1), &out), 0.25f, 0.01f);
    EXPECT_NEAR(out[612].left, 1.0f, 0.02f);

    // Samples at +-0.849; the true peaks of 1.2 lie half-way between them.
    const auto quarterRateSine = [](int i)
    {
        const float v = float(1.2 * std::sin(kPi / 2.0 * i + kPi / 4.0));
        return Frame{v, v};
    };
    EXPECT_EQ(lowestGain(false, 4000, quarterRateSine), 1.0f);
    EXPECT_LT(lowestGain(true, 4000, quarterRateSine), 0.95f);
}

TEST(PeakLimiter, StereoLinkSharesTheLargerEnvelope)
{
    for (const float link : {0.0f, 1.0f})
    {
        LimiterEngine engine;
        makeNeutral(engine);
        engine.setStereoLink(link);
        renderConstant(engine, 3000, 2.0f, 0.5f);
        EXPECT_LT(engine.getLimiterGainLeft(), 0.5f);
        EXPECT_EQ(engine.getLimiterGainRight(), link == 1.0f ? engine.getLimiterGainLeft() : 1.0f);
    }
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
        for (; engine.getLimiterGainLeft() < 0.9f && frames < 441000; ++frames)
            engine.processSample(0.0f, 0.0f);
        return frames;
    };
    const int afterLong = recoveryFrames(2 * 44100);
    EXPECT_TRUE(afterLong > 44100 / 10 && afterLong < 44100) << afterLong;
    EXPECT_LT(recoveryFrames(441) * 4, afterLong);
}
