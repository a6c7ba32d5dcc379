// Blocks of every size a host may send, in place or not: the same audio comes out whatever
// the cut, and a count of zero or below touches nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "HardeningHost.h"

namespace
{
// Runs `total` frames of a fixed noise through an instance in blocks of the given sizes (cycled),
// in place or into separate buffers; returns the left output.
template <typename Sample>
std::vector<Sample> render(const std::vector<VstInt32>& blockSizes, std::size_t total, bool inPlace)
{
    constexpr float noisePeak = 3.0f;
    Instance instance;
    instance.start();
    std::mt19937 random(kHardeningSeed);
    StereoBlock<Sample> input(total);
    fillNoise(input, random, noisePeak);
    StereoBlock<Sample> output(total);
    std::size_t done = 0;
    for (std::size_t n = 0; done < total; ++n)
    {
        const VstInt32 frames = static_cast<VstInt32>(
            std::min<std::size_t>(blockSizes[n % blockSizes.size()], total - done));
        Sample* inputs[] = {input.left.data() + done, input.right.data() + done};
        Sample* separate[] = {output.left.data() + done, output.right.data() + done};
        Sample** outputs = inPlace ? inputs : separate;
        if constexpr (sizeof(Sample) == sizeof(float))
        {
            instance->processReplacing(instance.get(), inputs, outputs, frames);
        }
        else
        {
            instance->processDoubleReplacing(instance.get(), inputs, outputs, frames);
        }
        done += frames;
    }
    StereoBlock<Sample>& result = inPlace ? input : output;
    EXPECT_LE(largestMagnitude(result), 1.0);
    return result.left;
}
} // namespace

TEST(BlockShapes, EveryCutGivesTheSameAudio)
{
    constexpr std::size_t totalFrames = 1 << 16;
    const std::vector<VstInt32> oneBlock = {static_cast<VstInt32>(totalFrames)};
    const std::vector<float> reference = render<float>(oneBlock, totalFrames, false);
    const std::vector<std::vector<VstInt32>> cuts = {
        {1}, {0, 1, 0, 3}, {7, 13, 1, 511, 33}, {4096, 1, 2}, {1023, 1025}};
    for (const std::vector<VstInt32>& cut : cuts)
    {
        for (bool inPlace : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "first block " << cut[0] << " in place " << inPlace);
            EXPECT_EQ(render<float>(cut, totalFrames, inPlace), reference);
        }
    }
    // The 64-bit entry rounds each input to float, so the same audio comes out, widened.
    const std::vector<double> wide = render<double>({17, 1, 4000}, totalFrames, true);
    EXPECT_TRUE(std::equal(wide.begin(), wide.end(), reference.begin()));
}

TEST(BlockShapes, HugeBlocksStayWithinFullScale)
{
    constexpr std::size_t hugeFrames = std::size_t{1} << 22; // 87 s at 48 kHz in one call
    const std::vector<VstInt32> oneBlock = {static_cast<VstInt32>(hugeFrames)};
    render<float>(oneBlock, hugeFrames, true);
    render<double>(oneBlock, hugeFrames, false);
}

TEST(BlockShapes, ZeroOrNegativeCountsTouchNothing)
{
    constexpr std::size_t frames = 64;
    constexpr float marker = 0.25f;
    Instance instance;
    instance.start();
    StereoBlock<float> input(frames);
    StereoBlock<float> output(frames);
    std::fill(output.left.begin(), output.left.end(), marker);
    std::fill(output.right.begin(), output.right.end(), marker);
    StereoBlock<double> wideOutput(frames);
    for (VstInt32 count : {0, -1, -512, INT32_MIN})
    {
        instance->processReplacing(instance.get(), input.channels, output.channels, count);
        instance->processDoubleReplacing(instance.get(), wideOutput.channels, wideOutput.channels,
                                         count);
        // Null channel pointers are fine when there is nothing to process.
        instance->processReplacing(instance.get(), nullptr, nullptr, count);
    }
    EXPECT_EQ(output.left, std::vector<float>(frames, marker));
    EXPECT_EQ(output.right, std::vector<float>(frames, marker));
    EXPECT_EQ(wideOutput.left, std::vector<double>(frames, 0.0));
}
