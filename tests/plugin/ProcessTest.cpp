#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "parameters/Parameters.h"
#include "tests/support/HostedEffect.h"

namespace
{
constexpr int kFrames = 2048;

// A sine loud enough for the limiter to work.
std::vector<float> sine(double cyclesPerFrame)
{
    std::vector<float> samples(kFrames);
    for (int i = 0; i < kFrames; ++i)
        samples[i] = static_cast<float>(0.9 * std::sin(6.283185307179586 * cyclesPerFrame * i));
    return samples;
}
} // namespace

TEST(Process, InPlaceAndSeparateBuffersGiveTheSameResult)
{
    HostedEffect separate;
    HostedEffect inPlace;
    std::vector<float> left = sine(0.01);
    std::vector<float> right = sine(0.013);
    std::vector<float> outLeft(kFrames, 7.0f);
    std::vector<float> outRight(kFrames, 7.0f);
    float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};

    separate->processReplacing(separate.get(), in, out, 0);
    EXPECT_EQ(outLeft[0], 7.0f);
    separate->processReplacing(separate.get(), in, out, kFrames);
    inPlace->processReplacing(inPlace.get(), in, in, kFrames);
    EXPECT_EQ(left, outLeft);
    EXPECT_EQ(right, outRight);
    EXPECT_EQ(outLeft[511], 0.0f); // 512 frames of latency
    EXPECT_NE(outLeft[600], 0.0f);

    separate->process(separate.get(), in, out, kFrames); // unsupported: leaves outputs
    EXPECT_EQ(left, outLeft);
}

TEST(Process, DoublePrecisionRoundsEachInputToTheNearestFloat)
{
    auto processDoubles = [](const HostedEffect& e, double input)
    {
        std::vector<double> left(kFrames, input);
        std::vector<double> right(kFrames, input);
        double* channels[] = {left.data(), right.data()};
        e->processDoubleReplacing(e.get(), channels, channels, kFrames);
        return std::pair(left, right);
    };
    // 1 + 0.7 ulp: the nearest float is 1 + 1 ulp, truncation would give 1. Bypass passes it
    // unclamped, and the input noise (below 1e-8) is far below half an ulp.
    HostedEffect bypassed;
    EXPECT_EQ(bypassed.dispatch(effSetBypass, 0, 1), 1);
    const auto [left, right] = processDoubles(bypassed, 1.0 + 0.7 * std::ldexp(1.0, -23));
    EXPECT_EQ(left[511], 0.0);
    EXPECT_EQ(left[512], 1.0 + std::ldexp(1.0, -23));
    EXPECT_EQ(right[kFrames - 1], left[512]);

    // 0.1 on the normal path matches a float run fed the float nearest 0.1, widened.
    HostedEffect doubles;
    HostedEffect floats;
    const std::vector<double> tenth = processDoubles(doubles, 0.1).first;
    const std::vector<float> reference = floats.process(0.1f, kFrames);
    EXPECT_EQ(tenth, std::vector<double>(reference.begin(), reference.end()));
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
    EXPECT_EQ(e.process(0.25f, 512)[511], 0.0f); // resuming again clears the delay too
    e.dispatch(effMainsChanged, 0, 0);
}

// Hosts suspend on transport stop and on rate or buffer changes: the driven audio still in the
// look-ahead must not play out against the reset gains after the resume.
TEST(Process, AResumeNeverPlaysOutAudioFromBeforeTheStop)
{
    HostedEffect e;
    e.setParameter(kInputDrive, 1.0f); // +20 dB
    e.dispatch(effMainsChanged, 0, 1);
    std::vector<float> left = sine(0.01);
    std::vector<float> right = sine(0.01);
    float* in[] = {left.data(), right.data()};
    e->processReplacing(e.get(), in, in, kFrames);
    e.dispatch(effMainsChanged, 0, 0);
    e.dispatch(effMainsChanged, 0, 1);
    const std::vector<float> after = e.process(0.0f, 1024);
    EXPECT_LT(*std::max_element(after.begin(), after.end()), 1e-3f);
}
