// processBlock must give exactly what processSample gives frame by frame: every output bit, and
// every meter at the end of each block, whatever the block shape (odd ones end with a single
// frame after the frame pairs), the sample type, in-place buffers, the bypass path, NaN input
// and requests posted between blocks.

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using namespace engine_test;

namespace
{
constexpr float kSampleRateHz = 48000.0f;
constexpr int kFrames = 3 * 48000;

// Loud, wide material with a NaN and an out-of-range burst, so every stage and the input bound
// take part.
Frame material(int i)
{
    if (i == 40000)
        return {std::numeric_limits<float>::quiet_NaN(), 0.5f};
    if (i >= 50000 && i < 50004)
        return {3e7f, -3e7f};
    return testSignalFrame(TestSignal::hot, i, kSampleRateHz);
}

// Program 0's stages; every stage that runs two frames at once (soft clipper, leveller,
// inter-sample peaks, dither); and everything, with the correlation limiter, which runs frame
// by frame.
enum class Stages
{
    program0,
    joined,
    all
};

void configure(LimiterEngine& engine, Stages stages)
{
    const bool busy = stages != Stages::program0;
    engine.setEngineSampleRate(kSampleRateHz);
    engine.setInputGain(busy ? 4.0f : 1.0f);
    engine.setSideGain(0.8f);
    engine.setCorrelationThreshold(stages == Stages::all ? 0.2f : -1.0f);
    engine.setSoftclipAmount(busy ? 0.5f : 0.0f);
    engine.setRmsThreshold(busy ? -10.0f : 8.0f);
    engine.setInterSamplePeak(busy);
    engine.setDitherBits(busy ? 16 : 64);
}

// Renders the material both ways in blocks of blockFrames (Sample buffers, in place if asked),
// with a bypass from 20000 to 30000 and a held-peak reset at 60000, posted between blocks.
template <typename Sample>
void expectSameRender(Stages stages, int blockFrames, bool inPlace, bool wideVectors = true)
{
    SCOPED_TRACE("stages " + std::to_string(static_cast<int>(stages)) + ", block " +
                 std::to_string(blockFrames) + (inPlace ? ", in place" : "") +
                 (wideVectors ? "" : ", baseline code"));
    LimiterEngine frameWise;
    LimiterEngine blockWise;
    frameWise.allowWideVectors(wideVectors);
    blockWise.allowWideVectors(wideVectors);
    configure(frameWise, stages);
    configure(blockWise, stages);
    std::vector<Sample> left(blockFrames), right(blockFrames), outLeft(blockFrames),
        outRight(blockFrames);
    int mismatches = 0;
    for (int start = 0; start < kFrames; start += blockFrames)
    {
        for (LimiterEngine* engine : {&frameWise, &blockWise})
        {
            if (start <= 20000 && 20000 < start + blockFrames)
                engine->setBypassed(true);
            if (start <= 30000 && 30000 < start + blockFrames)
                engine->setBypassed(false);
            if (start <= 60000 && 60000 < start + blockFrames)
                engine->resetPeakHold();
        }
        const int frames = std::min(blockFrames, kFrames - start);
        for (int i = 0; i < frames; ++i)
            std::tie(left[i], right[i]) =
                std::make_pair(material(start + i).left, material(start + i).right);
        Sample* const leftOut = inPlace ? left.data() : outLeft.data();
        Sample* const rightOut = inPlace ? right.data() : outRight.data();
        blockWise.processBlock(left.data(), right.data(), leftOut, rightOut, frames);
        for (int i = 0; i < frames; ++i)
        {
            const Frame in = material(start + i);
            frameWise.processSample(static_cast<float>(static_cast<Sample>(in.left)),
                                    static_cast<float>(static_cast<Sample>(in.right)));
            const bool same = static_cast<Sample>(frameWise.getOutputLeft()) == leftOut[i] &&
                              static_cast<Sample>(frameWise.getOutputRight()) == rightOut[i];
            mismatches += same ? 0 : 1;
        }
        if (start % (16 * blockFrames) == 0 || start + blockFrames >= kFrames)
        {
            EXPECT_EQ(meterReadings(frameWise), meterReadings(blockWise)) << "frame " << start;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
} // namespace

TEST(BlockPath, EqualsTheFramePathBitForBit)
{
    for (const Stages stages : {Stages::program0, Stages::joined, Stages::all})
    {
        for (const int blockFrames : {1, 7, 512, 4096})
            expectSameRender<float>(stages, blockFrames, false);
        expectSameRender<float>(stages, 512, true);
        expectSameRender<double>(stages, 333, false);
        // Where AVX-512 with FMA is offered the loops above ran its code; this is the SSE2
        // baseline.
        expectSameRender<float>(stages, 512, false, false);
    }
}
