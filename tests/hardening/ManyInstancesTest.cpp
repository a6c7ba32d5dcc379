// Instances share nothing: 64 of them processing on 4 threads at once, each with its own
// program, input and automation, give bit for bit what each gives alone.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "HardeningHost.h"

namespace
{
constexpr int kInstanceCount = 64;
constexpr int kThreadCount = 4;
constexpr VstInt32 kBlockFrames = 256;
// Two seconds at 48 kHz in the normal build; sanitizers run many times slower.
#ifdef HARDENING_SANITIZED
constexpr int kBlockCount = 48;
#else
constexpr int kBlockCount = 375;
#endif

// Instance n: program n mod 18, its own noise, and each block one parameter automated, all
// drawn from a generator seeded with n, so a run alone and a run among others see the same.
class Voice
{
  public:
    explicit Voice(int n) : random(kHardeningSeed + static_cast<std::uint32_t>(n))
    {
        instance.start();
        instance.dispatch(effSetProgram, 0, n % kProgramCount);
        output.reserve(static_cast<std::size_t>(kBlockFrames) * kBlockCount);
    }

    void processBlock()
    {
        constexpr float noisePeak = 2.0f;
        std::uniform_int_distribution<VstInt32> index(0, kDitheringIndex - 1);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        const VstInt32 automated = index(random);
        // Bypass stays off here: its output is not bounded.
        if (automated != kBypassIndex)
        {
            instance.setParameter(automated, value(random));
        }
        fillNoise(block, random, noisePeak);
        instance->processReplacing(instance.get(), block.channels, block.channels, kBlockFrames);
        output.insert(output.end(), block.left.begin(), block.left.end());
        output.insert(output.end(), block.right.begin(), block.right.end());
    }

    std::vector<float> output;

  private:
    std::mt19937 random;
    Instance instance;
    StereoBlock<float> block{kBlockFrames};
};

std::vector<float> renderAlone(int n)
{
    Voice voice(n);
    for (int b = 0; b < kBlockCount; ++b)
    {
        voice.processBlock();
    }
    return voice.output;
}
} // namespace

TEST(ManyInstances, FourThreadsGiveWhatEachGivesAlone)
{
    std::vector<std::unique_ptr<Voice>> voices;
    for (int n = 0; n < kInstanceCount; ++n)
    {
        voices.push_back(std::make_unique<Voice>(n));
    }
    // Thread t drives instances t, t + 4, t + 8 ... block by block, interleaved.
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreadCount; ++t)
    {
        threads.emplace_back(
            [&voices, t]
            {
                for (int b = 0; b < kBlockCount; ++b)
                {
                    for (int n = t; n < kInstanceCount; n += kThreadCount)
                    {
                        voices[n]->processBlock();
                    }
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (int n = 0; n < kInstanceCount; ++n)
    {
        const std::vector<float> alone = renderAlone(n);
        ASSERT_EQ(voices[n]->output, alone) << "instance " << n;
        for (float sample : alone)
        {
            ASSERT_LE(std::fabs(sample), 1.0f) << "instance " << n;
        }
    }
}
