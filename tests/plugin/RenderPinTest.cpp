// Pins the output of the built plug-in for a fixed programme, started and fed as hosts do: a
// drift in the factory programs, the parameter conversions or the engine fails here. The engine
// checksum renders the same programme with the same settings derived from the parameter tables,
// so both pin the same hashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/LimiterEngine.h"
#include "parameters/Parameters.h"
#include "tests/support/FactoryProgram.h"
#include "tests/support/HostedEffect.h"
#include "tests/support/TestSignals.h"

namespace
{
constexpr float kSampleRateHz = 44100.0f;
constexpr int kFrames = 10 * 44100;
constexpr int kBlockFrames = 512;
// Of a sum over 441,000 samples: both code sets and dither ties stay far inside it.
constexpr double kSumTolerance = 1e-2;

struct Render
{
    std::uint64_t hash;
    double sumLeft;
    double sumRight;
    float peak;
};

Render renderProgram(int program, const std::vector<ParameterChange>& changes)
{
    HostedEffect effect;
    effect.start(kSampleRateHz, kBlockFrames);
    effect.dispatch(effSetProgram, 0, program);
    for (const ParameterChange& change : changes)
        effect.setParameter(change.index, change.value);
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    float* channels[] = {left.data(), right.data()};
    Render render{};
    OutputHash hash;
    for (int first = 0; first < kFrames; first += kBlockFrames)
    {
        const int frames = std::min(kBlockFrames, kFrames - first);
        for (int i = 0; i < frames; ++i)
        {
            const StereoSample sample = testSignalFrame(TestSignal::hot, first + i, kSampleRateHz);
            left[i] = sample.left;
            right[i] = sample.right;
        }
        effect.process(channels, channels, frames);
        for (int i = 0; i < frames; ++i)
        {
            hash.add(left[i]);
            hash.add(right[i]);
            render.sumLeft += left[i];
            render.sumRight += right[i];
            render.peak = std::max({render.peak, std::fabs(left[i]), std::fabs(right[i])});
        }
    }
    render.hash = hash.value();
    return render;
}
} // namespace

TEST(RenderPin, Programs0And2ThroughTheBuiltPlugin)
{
    // The plug-in runs the engine's wide-vector code where the processor has it, else the SSE2
    // baseline; both are exact to float rounding, not to each other's bits.
    const bool wideVectors = LimiterEngine().usesWideVectors();
    const struct
    {
        int program;
        std::vector<ParameterChange> changes;
        std::uint64_t baselineHash, wideHash;
        double sumLeft, sumRight;
    } cases[] = {
        {0, {}, 0xd15ea51157f07daeull, 0xd15ea51157f07daeull, -29.194150954752047,
         168.87039141291302},
        {2, {{kInterSamplePeak, 1.0f}, {kDithering, kDither16BitPosition}}, 0xa8c7a9813c2e2b65ull,
         0xcab2401a53c8c165ull, -85.303558349609375, 193.57827758789062},
    };
    for (const auto& pinned : cases)
    {
        SCOPED_TRACE("program " + std::to_string(pinned.program));
        const Render render = renderProgram(pinned.program, pinned.changes);
        EXPECT_EQ(render.hash, wideVectors ? pinned.wideHash : pinned.baselineHash);
        // Readable figures beside the hash, to tell a small drift from a broken render.
        EXPECT_NEAR(render.sumLeft, pinned.sumLeft, kSumTolerance);
        EXPECT_NEAR(render.sumRight, pinned.sumRight, kSumTolerance);
        EXPECT_LE(render.peak, 1.0f);
        EXPECT_GT(render.peak, 0.5f);
    }
}
