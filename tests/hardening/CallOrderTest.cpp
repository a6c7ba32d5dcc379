// Calls in orders hosts really use or get wrong. The effect must neither crash nor lose its
// footing: output finite and within full scale, and the same audio as after the proper order
// where the order should not matter.
#include <gtest/gtest.h>

#include "HardeningHost.h"

namespace
{
constexpr std::size_t kBlockFrames = 2048;
constexpr float kNoisePeak = 2.0f;

// One block of noise from the generator through processReplacing; returns the left output.
std::vector<float> processNoise(const Instance& instance, std::mt19937& random)
{
    StereoBlock<float> block(kBlockFrames);
    fillNoise(block, random, kNoisePeak);
    instance->processReplacing(instance.get(), block.channels, block.channels, kBlockFrames);
    EXPECT_LE(largestMagnitude(block), 1.0);
    return block.left;
}
} // namespace

TEST(CallOrder, ProcessingBeforeOpenOrResumeWorks)
{
    std::mt19937 random(kHardeningSeed);
    Instance instance;
    processNoise(instance, random);
    instance.dispatch(effMainsChanged, 0, 1);
    processNoise(instance, random);
}

TEST(CallOrder, SampleRateChangeWithoutSuspendActsAsWithSuspend)
{
    constexpr float newRateHz = 96000.0f;
    std::mt19937 careless(kHardeningSeed);
    std::mt19937 proper(kHardeningSeed);
    Instance withoutSuspend;
    Instance withSuspend;
    withoutSuspend.start();
    withSuspend.start();
    processNoise(withoutSuspend, careless);
    processNoise(withSuspend, proper);

    withoutSuspend.dispatch(effSetSampleRate, 0, 0, nullptr, newRateHz);
    withSuspend.dispatch(effMainsChanged, 0, 0);
    withSuspend.dispatch(effSetSampleRate, 0, 0, nullptr, newRateHz);
    withSuspend.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(processNoise(withoutSuspend, careless), processNoise(withSuspend, proper));
    EXPECT_EQ(withoutSuspend->initialDelay, 512);
}

TEST(CallOrder, ExtremeSampleRatesWhileRunning)
{
    std::mt19937 random(kHardeningSeed);
    Instance instance;
    instance.start();
    for (float rateHz :
         {1.0f, 4999.0f, 8000.0f, 384000.0f, 1e7f, 3e38f, 0.0f, -48000.0f, NAN, INFINITY, 44100.0f})
    {
        SCOPED_TRACE(rateHz);
        instance.dispatch(effSetSampleRate, 0, 0, nullptr, rateHz);
        instance.dispatch(effSetBlockSizeAndSampleRate, 0, 64, nullptr, rateHz);
        processNoise(instance, random);
    }
}

TEST(CallOrder, RepeatedAndMissingStateChanges)
{
    std::mt19937 random(kHardeningSeed);
    Instance instance;
    instance.dispatch(effOpen);
    instance.dispatch(effOpen);
    instance.dispatch(effMainsChanged, 0, 0); // suspend before any resume
    instance.dispatch(effMainsChanged, 0, 1);
    instance.dispatch(effMainsChanged, 0, 1);
    processNoise(instance, random);
    instance.dispatch(effStopProcess);
    instance.dispatch(effStartProcess);
    instance.dispatch(effStartProcess);
    processNoise(instance, random);
    instance.dispatch(effSetBlockSize, 0, -1);
    instance.dispatch(effSetBlockSize, 0, 0);
    processNoise(instance, random);
    // effClose while resumed and processing: hosts that crash or are killed do this.
    instance.close();

    Instance unused; // effClose straight after creation
    unused.close();
}

TEST(CallOrder, ProgramAndBypassChangesBetweenBlocks)
{
    std::mt19937 random(kHardeningSeed);
    Instance instance;
    instance.start();
    for (VstInt32 program = kProgramCount - 1; program >= 0; --program)
    {
        instance.dispatch(effSetProgram, 0, program);
        processNoise(instance, random);
        instance.dispatch(effSetBypass, 0, 1);
        instance.dispatch(effSetBypass, 0, 1);
        StereoBlock<float> block(kBlockFrames);
        instance->processReplacing(instance.get(), block.channels, block.channels, kBlockFrames);
        EXPECT_LT(largestMagnitude(block), INFINITY);
        instance.dispatch(effSetBypass, 0, 0);
        processNoise(instance, random);
    }
}

TEST(CallOrder, EditorRequestsWithoutAnOpenEditor)
{
    Instance instance;
    instance.start();
    ERect* rect = nullptr;
    instance.dispatch(effEditGetRect, 0, 0, &rect); // hosts ask for the size before opening
    instance.dispatch(effEditClose);                // close without open
    instance.dispatch(effEditIdle);                 // idle while closed
    instance.dispatch(effEditClose);
    instance.dispatch(effEditIdle);
    instance.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f);
    instance.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f);
    // Without a parent window there is nothing to open in: no success claimed.
    EXPECT_EQ(instance.dispatch(effEditOpen, 0, 0, nullptr), 0);
    instance.dispatch(effEditIdle);
    instance.dispatch(effEditClose);
    std::mt19937 random(kHardeningSeed);
    processNoise(instance, random);
}
