// Runs whose peak envelopes rest are held instead of stepped frame by frame; that must change no
// output bit and no meter, whether the envelopes come to rest, leave it on a burst, a burst
// arrives within a run that would otherwise have rested, or new release and hysteresis times
// move the resting point while they rest.

#include "EngineTestSupport.h"
#include "tests/support/FactoryProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace engine_test;

namespace
{
constexpr float kSampleRateHz = 48000.0f;
constexpr int kFrames = 12 * 48000;
constexpr int kBlockFrames = 512;
// Between blocks, 7.499 s in: in the quiet after the second burst.
constexpr int kNewTimesFrame = 703 * kBlockFrames;

// Quiet tones far under the threshold, with loud bursts (some shorter than a run, some starting
// mid-run) that push the limiter hard and leave it to release back to rest.
Frame quietWithBursts(int i)
{
    const double t = i / static_cast<double>(kSampleRateHz);
    const double tone = 0.05 * std::sin(2.0 * kPi * 220.0 * t);
    const int second = i / 48000;
    const int within = i % 48000;
    const bool burst =
        (second % 3 == 2 && within < 12000) || (second == 7 && within >= 30001 && within < 30101);
    const double level = burst ? 30.0 : 1.0;
    return {static_cast<float>(level * tone), static_cast<float>(level * tone * 0.7)};
}

struct Rendered
{
    std::vector<Frame> outputs;
    std::vector<std::array<float, 13>> meters;
    long long restingRuns = 0;
};

Rendered renderInBlocks(int program, bool wideVectors, bool skipAllowed)
{
    LimiterEngine engine;
    engine.allowWideVectors(wideVectors);
    engine.allowRestSkip(skipAllowed);
    engine.setEngineSampleRate(kSampleRateHz);
    applyFactoryProgram(engine, program, {});
    Rendered rendered;
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    for (int first = 0; first < kFrames; first += kBlockFrames)
    {
        if (first == kNewTimesFrame)
        {
            engine.setEnvelopeRelease(0.5f);
            engine.setEnvelopeHysteresis(0.002f);
        }
        for (int i = 0; i < kBlockFrames; ++i)
        {
            const Frame in = quietWithBursts(first + i);
            left[i] = in.left;
            right[i] = in.right;
        }
        engine.processBlock(left.data(), right.data(), left.data(), right.data(), kBlockFrames);
        for (int i = 0; i < kBlockFrames; ++i)
            rendered.outputs.push_back({left[i], right[i]});
        rendered.meters.push_back(meterReadings(engine));
    }
    rendered.restingRuns = engine.restingRunCount();
    return rendered;
}
} // namespace

TEST(RestSkip, HeldEnvelopesGiveTheSteppedOutputAndMeters)
{
    for (const bool wide : {false, true})
    {
        if (wide && !LimiterEngine().usesWideVectors())
            continue;
        for (const int program : {0, 2})
        {
            SCOPED_TRACE("program " + std::to_string(program) + (wide ? ", wide" : ", baseline"));
            const Rendered stepped = renderInBlocks(program, wide, false);
            const Rendered held = renderInBlocks(program, wide, true);
            EXPECT_EQ(stepped.restingRuns, 0);
            // The envelopes rest in the quiet stretches and leave rest on every burst.
            const long long runs = kFrames / kBlockFrames;
            EXPECT_GT(held.restingRuns, runs / 8);
            EXPECT_LT(held.restingRuns, runs * 3 / 4);
            EXPECT_EQ(hashOutputs(held.outputs), hashOutputs(stepped.outputs));
            EXPECT_EQ(held.meters, stepped.meters);
        }
    }
}
