// Hosts that process on several threads: the GUI thread busy while the audio thread runs (no
// data race under ThreadSanitizer), and 64 instances on 4 threads sharing nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "HardeningHost.h"

namespace
{
constexpr float kNoisePeak = 2.0f; // +6 dBFS: the limiter has work to do
// Sanitizers run many times slower.
#ifdef HARDENING_SANITIZED
constexpr int kConcurrentBlocks = 400;
constexpr int kVoiceBlocks = 48;
#else
constexpr int kConcurrentBlocks = 4000;
constexpr int kVoiceBlocks = 375; // two seconds at 48 kHz
#endif

// HostedEffect n: program n mod 18, its own noise, and each block one parameter automated, all
// drawn from a generator seeded with n, so a run alone and a run among others see the same.
struct Voice
{
    static constexpr VstInt32 kBlockFrames = 256;

    explicit Voice(int n) : random(kHardeningSeed + static_cast<std::uint32_t>(n))
    {
        instance.start();
        instance.dispatch(effSetProgram, 0, n % instance.programCount());
    }

    void processBlock()
    {
        const VstInt32 automated =
            std::uniform_int_distribution<VstInt32>(0, kDitheringIndex - 1)(random);
        // Bypass stays off here: its output is not bounded.
        if (automated != kBypassIndex)
            instance.setParameter(automated, std::uniform_real_distribution<float>()(random));
        block.fillNoise(random, kNoisePeak);
        instance.process(block.channels, block.channels, kBlockFrames);
        output.insert(output.end(), block.left.begin(), block.left.end());
        output.insert(output.end(), block.right.begin(), block.right.end());
    }

    std::vector<float> output;
    std::mt19937 random;
    HostedEffect instance;
    StereoBlock<float> block{kBlockFrames};
};
} // namespace

TEST(ConcurrentHost, ProgramChangesAndTextsDuringProcessing)
{
    constexpr VstInt32 blockFrames = 128;
    HostedEffect instance;
    instance.start();
    std::atomic<bool> done{false};
    std::thread gui(
        [&instance, &done]
        {
            std::mt19937 random(kHardeningSeed);
            char text[64];
            for (VstInt32 n = 0; !done.load(std::memory_order_relaxed); ++n)
            {
                instance.dispatch(effSetProgram, 0, n % instance.programCount());
                const VstInt32 index = n % instance.parameterCount();
                if (index != kBypassIndex)
                    instance.setParameter(index, std::uniform_real_distribution<float>()(random));
                instance.dispatch(effGetParamDisplay, index, 0, text);
                instance.dispatch(effGetProgramName, 0, 0, text);
                instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Concurrent"));
                instance.dispatch(effEditIdle);
                instance.getParameter(index);
            }
        });
    std::mt19937 random(kHardeningSeed + 1);
    StereoBlock<float> block(blockFrames);
    double largest = 0.0;
    for (int b = 0; b < kConcurrentBlocks; ++b)
    {
        block.fillNoise(random, kNoisePeak);
        instance.process(block.channels, block.channels, blockFrames);
        largest = std::max(largest, block.largestMagnitude());
    }
    done.store(true);
    gui.join();
    EXPECT_LE(largest, 1.0);
}

TEST(ManyInstances, FourThreadsGiveWhatEachGivesAlone)
{
    constexpr int instanceCount = 64;
    constexpr int threadCount = 4;
    std::vector<std::unique_ptr<Voice>> voices;
    for (int n = 0; n < instanceCount; ++n)
        voices.push_back(std::make_unique<Voice>(n));
    // Thread t drives instances t, t + 4, t + 8 ... block by block, interleaved.
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
    {
        threads.emplace_back(
            [&voices, t]
            {
                for (int b = 0; b < kVoiceBlocks; ++b)
                    for (int n = t; n < instanceCount; n += threadCount)
                        voices[n]->processBlock();
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int n = 0; n < instanceCount; ++n)
    {
        Voice alone(n);
        for (int b = 0; b < kVoiceBlocks; ++b)
            alone.processBlock();
        ASSERT_EQ(voices[n]->output, alone.output) << "instance " << n;
        for (float sample : alone.output)
            ASSERT_LE(std::fabs(sample), 1.0f) << "instance " << n;
    }
}
