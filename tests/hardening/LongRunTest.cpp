// One hour of audio at 48 kHz in small blocks, every parameter automated at random before each
// block: the output stays finite and within full scale outside bypass, and memory stays flat.
#include <gtest/gtest.h>

#include <iostream>

#include "HardeningHost.h"

namespace
{
constexpr double kSampleRateHz = 48000.0;
// Sanitizers run many times slower: a minute there, the full hour in the normal build.
#ifdef HARDENING_SANITIZED
constexpr double kRunSeconds = 60.0;
#else
constexpr double kRunSeconds = 3600.0;
#endif
constexpr std::size_t kNoiseTableFrames = 1 << 16;
constexpr VstInt32 kSmallestBlockFrames = 1;
constexpr VstInt32 kLargestBlockFrames = 128;
// What the process may grow by while running: allocator and stack noise, no steady growth.
constexpr long kAllowedGrowthBytes = 256 * 1024;
} // namespace

TEST(LongRun, AnHourOfRandomAutomation)
{
    const auto totalFrames = static_cast<std::size_t>(kRunSeconds * kSampleRateHz);
    std::mt19937 random(kHardeningSeed);
    // Input: windows of a loud noise table at random offsets and levels, cheaper than drawing
    // every sample.
    StereoBlock<float> noise(kNoiseTableFrames + kLargestBlockFrames);
    fillNoise(noise, random, 1.0f);
    StereoBlock<float> block(kLargestBlockFrames);
    std::uniform_int_distribution<VstInt32> blockFrames(kSmallestBlockFrames, kLargestBlockFrames);
    std::uniform_int_distribution<std::size_t> offset(0, kNoiseTableFrames - 1);
    std::uniform_real_distribution<float> level(0.0f, 4.0f);
    std::uniform_real_distribution<float> normalised(0.0f, 1.0f);
    std::uniform_real_distribution<float> ditherPosition(0.0f, kLargestDitheringPosition);

    Instance instance;
    instance.start(static_cast<float>(kSampleRateHz));
    long residentAfterWarmUp = 0;
    const std::size_t warmUpFrames = totalFrames / 100;
    std::size_t done = 0;
    std::size_t processedFrames = 0;
    double largest = 0.0;
    while (done < totalFrames)
    {
        for (VstInt32 index = 0; index < kParameterCount; ++index)
        {
            instance.setParameter(index, index == kDitheringIndex ? ditherPosition(random)
                                                                  : normalised(random));
        }
        const VstInt32 frames = blockFrames(random);
        const std::size_t from = offset(random);
        const float gain = level(random);
        for (VstInt32 i = 0; i < frames; ++i)
        {
            block.left[i] = gain * noise.left[from + i];
            block.right[i] = gain * noise.right[from + i];
        }
        instance->processReplacing(instance.get(), block.channels, block.channels, frames);
        const bool bypassed = instance.bypassed();
        for (VstInt32 i = 0; i < frames; ++i)
        {
            const float left = block.left[i];
            const float right = block.right[i];
            ASSERT_TRUE(std::isfinite(left) && std::isfinite(right)) << "frame " << done + i;
            if (!bypassed)
            {
                largest = std::max({largest, double{std::fabs(left)}, double{std::fabs(right)}});
                processedFrames += 1;
            }
        }
        done += static_cast<std::size_t>(frames);
        if (residentAfterWarmUp == 0 && done >= warmUpFrames)
        {
            residentAfterWarmUp = residentBytes();
        }
    }
    const long growth = residentBytes() - residentAfterWarmUp;
    std::cout << "processed " << done / kSampleRateHz / 3600.0 << " h at 48 kHz ("
              << processedFrames << " frames outside bypass), resident growth " << growth
              << " bytes\n";
    EXPECT_LE(largest, 1.0);
    EXPECT_LE(growth, kAllowedGrowthBytes);
    EXPECT_GT(processedFrames, totalFrames / 4); // bypass must not have hidden most of the run
}
