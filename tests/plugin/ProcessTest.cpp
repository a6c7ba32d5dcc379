#include <gtest/gtest.h>

#include <cmath>

#include "PluginHost.h"

namespace
{
// A stereo test signal: two sines of different frequency, loud enough for the limiter to work.
std::vector<float> testSignal(int frames, double cyclesPerFrame)
{
    constexpr double twoPi = 6.283185307179586;
    constexpr double amplitude = 0.9;
    std::vector<float> samples(frames);
    for (int i = 0; i < frames; ++i)
    {
        samples[i] = static_cast<float>(amplitude * std::sin(twoPi * cyclesPerFrame * i));
    }
    return samples;
}
constexpr int frames = 2048;
} // namespace

TEST(Process, InPlaceAndSeparateBuffersGiveTheSameResult)
{
    HostedEffect separate;
    HostedEffect inPlace;
    std::vector<float> left = testSignal(frames, 0.01);
    std::vector<float> right = testSignal(frames, 0.013);
    std::vector<float> outLeft(frames, 7.0f);
    std::vector<float> outRight(frames, 7.0f);
    float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};

    separate->processReplacing(separate.operator->(), in, out, 0);
    EXPECT_EQ(outLeft[0], 7.0f);
    separate->processReplacing(separate.operator->(), in, out, frames);
    inPlace->processReplacing(inPlace.operator->(), in, in, frames);
    EXPECT_EQ(left, outLeft);
    EXPECT_EQ(right, outRight);
    EXPECT_EQ(outLeft[511], 0.0f); // 512 frames of latency
    EXPECT_NE(outLeft[600], 0.0f);

    separate->process(separate.operator->(), in, out, frames); // unsupported: leaves outputs
    EXPECT_EQ(left, outLeft);
}

TEST(Process, DoublePrecisionRoundsEachInputToTheNearestFloat)
{
    // 1 + 0.7 ulp: the nearest float is 1 + 1 ulp, truncation would give 1. Bypass passes it
    // unclamped, and the input noise (below 1e-8) is far below half an ulp.
    const double input = 1.0 + 0.7 * std::ldexp(1.0, -23);
    const double nearest = 1.0 + std::ldexp(1.0, -23);
    HostedEffect e;
    EXPECT_EQ(e.dispatch(effSetBypass, 0, 1), 1);
    std::vector<double> left(frames, input);
    std::vector<double> right(frames, input);
    double* channels[] = {left.data(), right.data()};
    e->processDoubleReplacing(e.operator->(), channels, channels, frames);
    EXPECT_EQ(left[511], 0.0);
    EXPECT_EQ(left[512], nearest);
    EXPECT_EQ(right[frames - 1], nearest);

    // 0.1 on the normal path matches a float run fed the float nearest 0.1, widened.
    HostedEffect doubles;
    HostedEffect floats;
    std::vector<double> tenth(frames, 0.1);
    std::vector<double> tenthRight(frames, 0.1);
    double* tenthChannels[] = {tenth.data(), tenthRight.data()};
    doubles->processDoubleReplacing(doubles.operator->(), tenthChannels, tenthChannels, frames);
    const std::vector<float> reference = floats.process(0.1f, frames);
    for (int i = 0; i < frames; ++i)
    {
        ASSERT_EQ(tenth[i], static_cast<double>(reference[i])) << i;
    }
}

TEST(Process, BypassAndResumeAsHostsSendThem)
{
    HostedEffect e;
    EXPECT_EQ(e.dispatch(effSetBypass, 0, 1), 1);
    EXPECT_EQ(e.getParameter(2), 1.0f);
    EXPECT_EQ(e.display(2), "1.000");
    EXPECT_EQ(e.process(1.5f, 513)[512], 1.5f); // bypass: delayed, not clamped
    EXPECT_EQ(e.dispatch(effSetBypass, 0, 0), 1);
    EXPECT_EQ(e.getParameter(2), 0.0f);
    EXPECT_EQ(e.process(0.25f, 512)[511], 0.0f); // the delay was cleared

    e.dispatch(effMainsChanged, 0, 1);
    e.dispatch(effMainsChanged, 0, 1);
    EXPECT_NE(e.process(0.25f, 1)[0], 0.0f); // resuming again keeps the delay's content
    e.dispatch(effMainsChanged, 0, 0);
}
