// The engine's output reaches the loudness measurement whole: every frame, in order, also when
// the measuring thread falls behind; reset, rate change and resume clear what they should.
#include "engine/LimiterEngine.h"
#include "tests/support/FactoryProgram.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlockFrames = 512;

struct Output
{
    std::vector<float> left;
    std::vector<float> right;
};

// Runs the engine as a host does, as fast as it goes (far beyond real time, so the ring fills
// and the processing thread measures too), keeping what it hands out.
void render(LimiterEngine& engine, double seconds, double rateHz, Output& output, int offset = 0)
{
    const auto frames = static_cast<int>(seconds * rateHz);
    std::vector<float> inLeft(kBlockFrames), inRight(kBlockFrames);
    std::vector<float> outLeft(kBlockFrames), outRight(kBlockFrames);
    for (int first = 0; first < frames; first += kBlockFrames)
    {
        const int count = std::min(kBlockFrames, frames - first);
        for (int i = 0; i < count; ++i)
        {
            const StereoSample in = testSignalFrame(TestSignal::hot, offset + first + i, rateHz);
            // Quieter stretches, so the limiter's output has a range to measure.
            const float level =
                ((offset + first + i) / static_cast<int>(rateHz)) % 6 < 2 ? 0.1f : 1.0f;
            inLeft[i] = level * in.left;
            inRight[i] = level * in.right;
        }
        engine.processBlock(inLeft.data(), inRight.data(), outLeft.data(), outRight.data(), count);
        output.left.insert(output.left.end(), outLeft.begin(), outLeft.begin() + count);
        output.right.insert(output.right.end(), outRight.begin(), outRight.begin() + count);
    }
}

void feed(LoudnessMeter& meter, const Output& output)
{
    meter.process(output.left.data(), output.right.data(), static_cast<int>(output.left.size()));
}

void expectSame(const LoudnessFigures& shown, const LoudnessFigures& expected)
{
    EXPECT_EQ(shown.momentaryLufs, expected.momentaryLufs);
    EXPECT_EQ(shown.shortTermLufs, expected.shortTermLufs);
    EXPECT_EQ(shown.integratedLufs, expected.integratedLufs);
    EXPECT_EQ(shown.rangeLu, expected.rangeLu);
    EXPECT_EQ(shown.truePeakDbtp, expected.truePeakDbtp);
}

class LoudnessFeedTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        engine.setEngineSampleRate(kRateHz);
        applyFactoryProgram(engine, 0);
    }
    static constexpr double kRateHz = 48000.0;
    LimiterEngine engine;
};

TEST_F(LoudnessFeedTest, EveryFrameIsMeasuredInOrderAtAnySpeed)
{
    Output output;
    // Many times the ring, rendered at full speed.
    render(engine, 60.0, kRateHz, output);
    engine.waitUntilLoudnessMeasured();
    LoudnessMeter meter;
    meter.setSampleRate(kRateHz);
    feed(meter, output);
    expectSame(engine.getLoudness(), meter.figures());
    EXPECT_GT(engine.getLoudness().integratedLufs, -20.0f);
    EXPECT_GT(engine.getLoudness().rangeLu, 3.0f);
}

TEST_F(LoudnessFeedTest, FiguresArriveWithoutWaiting)
{
    Output output;
    render(engine, 3.0, kRateHz, output);
    // The thread polls every few milliseconds; give it up to two seconds.
    for (int tries = 0; tries < 200 && engine.getLoudness().momentaryLufs <= -30.0f; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(engine.getLoudness().momentaryLufs, -30.0f);
}

TEST_F(LoudnessFeedTest, ResetCountsFromTheNextFrame)
{
    Output before, after;
    render(engine, 8.0, kRateHz, before);
    engine.resetLoudness();
    render(engine, 8.0, kRateHz, after, 8 * 48000);
    engine.waitUntilLoudnessMeasured();
    LoudnessMeter meter;
    meter.setSampleRate(kRateHz);
    feed(meter, after);
    expectSame(engine.getLoudness(), meter.figures());
}

TEST_F(LoudnessFeedTest, RateChangeStartsAfreshAtTheNewRate)
{
    Output before, after;
    render(engine, 5.0, kRateHz, before);
    engine.setEngineSampleRate(96000.0f);
    render(engine, 5.0, 96000.0, after);
    engine.waitUntilLoudnessMeasured();
    LoudnessMeter meter;
    meter.setSampleRate(96000.0);
    feed(meter, after);
    expectSame(engine.getLoudness(), meter.figures());
}

TEST_F(LoudnessFeedTest, ResumeRestartsTheWindowsAndKeepsTheCount)
{
    Output before, after;
    render(engine, 6.0, kRateHz, before);
    engine.resetState();
    render(engine, 0.3, kRateHz, after, 6 * 48000);
    engine.waitUntilLoudnessMeasured();
    LoudnessMeter meter;
    meter.setSampleRate(kRateHz);
    feed(meter, before);
    meter.restart();
    feed(meter, after);
    const LoudnessFigures shown = engine.getLoudness();
    expectSame(shown, meter.figures());
    // 300 ms after the restart the momentary window is not yet full: quieter than before.
    LoudnessMeter unbroken;
    unbroken.setSampleRate(kRateHz);
    feed(unbroken, before);
    feed(unbroken, after);
    EXPECT_LT(shown.momentaryLufs, unbroken.figures().momentaryLufs - 1.0f);
    EXPECT_EQ(shown.integratedLufs, meter.figures().integratedLufs);
}
} // namespace
