// One hour of audio at 48 kHz in small blocks, every parameter automated at random before each
// block and programs changed between blocks: the output stays finite and within full scale
// outside bypass, and memory stays flat.
#include <gtest/gtest.h>

#include <iostream>

#include "HardeningHost.h"

TEST(LongRun, AnHourOfRandomAutomation)
{
    constexpr double sampleRateHz = 48000.0;
    // Sanitizers run many times slower: a minute there, the full hour in the normal build.
#ifdef HARDENING_SANITIZED
    constexpr double runSeconds = 60.0;
#else
    constexpr double runSeconds = 3600.0;
#endif
    constexpr VstInt32 largestBlockFrames = 128;
    // What the process may grow by while running: allocator and stack noise, no steady growth.
    constexpr long allowedGrowthBytes = 256 * 1024;
    constexpr long blocksPerProgram = 64;
    const auto totalFrames = static_cast<std::size_t>(runSeconds * sampleRateHz);
    std::mt19937 random(kHardeningSeed);
    StereoBlock<float> block(largestBlockFrames);
    std::uniform_int_distribution<VstInt32> blockFrames(1, largestBlockFrames);
    std::uniform_real_distribution<float> level(0.0f, 4.0f); // noise peaks up to +12 dBFS
    std::uniform_real_distribution<float> normalised(0.0f, 1.0f);

    HostedEffect instance;
    instance.start(static_cast<float>(sampleRateHz));
    long residentAfterWarmUp = 0;
    std::size_t processedFrames = 0;
    double largest = 0.0;
    std::size_t done = 0;
    long blocks = 0;
    for (VstInt32 frames = 0; done < totalFrames; done += static_cast<std::size_t>(frames))
    {
        for (VstInt32 index = 0; index < instance.parameterCount(); ++index)
        {
            instance.setParameter(
                index,
                normalised(random) * (index == kDitheringIndex ? kLargestDitheringPosition : 1.0f));
        }
        if (++blocks % blocksPerProgram == 0)
            instance.dispatch(effSetProgram, 0,
                              (blocks / blocksPerProgram) % instance.programCount());
        frames = blockFrames(random);
        block.fillNoise(random, level(random), static_cast<std::size_t>(frames));
        instance.process(block.channels, block.channels, frames);
        const double magnitude = block.largestMagnitude(static_cast<std::size_t>(frames));
        ASSERT_LT(magnitude, INFINITY) << "frame " << done;
        if (instance.getParameter(kBypassIndex) < 0.5f) // a switch at one half
        {
            largest = std::max(largest, magnitude);
            processedFrames += static_cast<std::size_t>(frames);
        }
        if (residentAfterWarmUp == 0 && done >= totalFrames / 100)
            residentAfterWarmUp = residentBytes();
    }
    const long growth = residentBytes() - residentAfterWarmUp;
    std::cout << "processed " << done / sampleRateHz / 3600.0 << " h at 48 kHz (" << processedFrames
              << " frames outside bypass), resident growth " << growth << " bytes\n";
    EXPECT_LE(largest, 1.0);
    EXPECT_LE(growth, allowedGrowthBytes);
    EXPECT_GT(processedFrames, totalFrames / 4); // bypass must not have hidden most of the run
}
