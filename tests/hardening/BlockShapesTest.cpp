// Blocks of every size a host may send, in place or not: the same audio comes out whatever
// the cut, and a count of zero or below touches nothing.
#include <gtest/gtest.h>

#include "HardeningHost.h"

namespace
{
// Runs `total` frames of a fixed noise through an instance in blocks of the given sizes (cycled),
// in place or into separate buffers; returns the left output.
template <typename Sample>
std::vector<Sample> render(const std::vector<VstInt32>& blockSizes, std::size_t total, bool inPlace)
{
    constexpr float noisePeak = 3.0f;
    HostedEffect instance;
    instance.start();
    std::mt19937 random(kHardeningSeed);
    StereoBlock<Sample> input(total);
    input.fillNoise(random, noisePeak);
    StereoBlock<Sample> output(total);
    for (std::size_t done = 0, n = 0; done < total; done += blockSizes[n++ % blockSizes.size()])
    {
        const auto frames = static_cast<VstInt32>(
            std::min<std::size_t>(blockSizes[n % blockSizes.size()], total - done));
        Sample* inputs[] = {input.left.data() + done, input.right.data() + done};
        Sample* separate[] = {output.left.data() + done, output.right.data() + done};
        instance.process(inputs, inPlace ? inputs : separate, frames);
    }
    StereoBlock<Sample>& result = inPlace ? input : output;
    EXPECT_LE(result.largestMagnitude(), 1.0);
    return result.left;
}
} // namespace

TEST(BlockShapes, EveryCutGivesTheSameAudio)
{
    constexpr std::size_t totalFrames = 1 << 16;
    const std::vector<float> reference =
        render<float>({static_cast<VstInt32>(totalFrames)}, totalFrames, false);
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

TEST(BlockShapes, HugeBlocksStayWithinFullScaleAndZeroOrNegativeCountsTouchNothing)
{
    constexpr std::size_t hugeFrames = std::size_t{1} << 22; // 87 s at 48 kHz in one call
    render<float>({static_cast<VstInt32>(hugeFrames)}, hugeFrames, true);
    render<double>({static_cast<VstInt32>(hugeFrames)}, hugeFrames, false);

    constexpr std::size_t frames = 64;
    constexpr float marker = 0.25f;
    HostedEffect instance;
    instance.start();
    StereoBlock<float> input(frames);
    StereoBlock<float> output(frames);
    std::fill(output.left.begin(), output.left.end(), marker);
    std::fill(output.right.begin(), output.right.end(), marker);
    StereoBlock<double> wide(frames);
    for (VstInt32 count : {0, -1, -512, INT32_MIN})
    {
        instance.process(input.channels, output.channels, count);
        instance.process(wide.channels, wide.channels, count);
        // Null channel pointers are fine when there is nothing to process.
        instance->processReplacing(instance.get(), nullptr, nullptr, count);
    }
    EXPECT_EQ(output.left, std::vector<float>(frames, marker));
    EXPECT_EQ(output.right, std::vector<float>(frames, marker));
    EXPECT_EQ(wide.left, std::vector<double>(frames, 0.0));
}
