// Calls in orders hosts really use or get wrong. The effect must neither crash nor lose its
// footing: output finite and within full scale, and the same audio as after the proper order
// where the order should not matter.
#include <gtest/gtest.h>

#include "HardeningHost.h"

namespace
{
constexpr std::size_t kBlockFrames = 2048;

// One block of noise from the generator through processReplacing; returns the left output.
std::vector<float> processNoise(const HostedEffect& instance, std::mt19937& random)
{
    constexpr float noisePeak = 2.0f;
    StereoBlock<float> block(kBlockFrames);
    block.fillNoise(random, noisePeak);
    instance.process(block.channels, block.channels, kBlockFrames);
    EXPECT_LE(block.largestMagnitude(), 1.0);
    return block.left;
}
} // namespace

// Each row a run of careless calls after which the effect must still process soundly; the last
// rows the absurd sample rates that once made the correlation filters unstable.
TEST(CallOrder, MissingRepeatedAndEarlyStateChangesAndExtremeSampleRates)
{
    struct Call
    {
        VstInt32 opcode;
        VstIntPtr value = 0;
        float opt = 0.0f;
    };
    std::vector<std::vector<Call>> runs = {
        {},                     // before effOpen or resume
        {{effMainsChanged, 1}}, // resume without effOpen
        {{effOpen}, {effOpen}}, // opened twice
        {{effMainsChanged, 0}, {effMainsChanged, 1}, {effMainsChanged, 1}}, // suspend first
        {{effStopProcess}, {effStartProcess}, {effStartProcess}},
        {{effSetBlockSize, -1}, {effSetBlockSize, 0}},
        // Editor requests with no editor open: size first, close without open, idle, keys.
        {{effEditGetRect}, {effEditClose}, {effEditIdle}, {effEditClose}},
        {{effEditKeyDown}, {effEditKeyUp}},
    };
    for (float rateHz :
         {1.0f, 4999.0f, 8000.0f, 384000.0f, 1e7f, 3e38f, 0.0f, -48000.0f, NAN, INFINITY, 44100.0f})
        runs.push_back(
            {{effSetSampleRate, 0, rateHz}, {effSetBlockSizeAndSampleRate, 64, rateHz}}); // frames
    std::mt19937 random(kHardeningSeed);
    HostedEffect instance;
    for (std::size_t row = 0; row < runs.size(); ++row)
    {
        SCOPED_TRACE(row);
        ERect* rect = nullptr;
        for (const Call& call : runs[row]) // 'a' is the key events' key; ptr effEditGetRect's
            instance.dispatch(call.opcode, 'a', call.value, &rect, call.opt);
        processNoise(instance, random);
    }
    // Without a parent window there is nothing to open in: no success claimed.
    EXPECT_EQ(instance.dispatch(effEditOpen, 0, 0, nullptr), 0);
    instance.dispatch(effEditIdle);
    instance.dispatch(effEditClose);
    processNoise(instance, random);
    // effClose while resumed and processing: hosts that crash or are killed do this.
    instance.close();
    HostedEffect unused; // effClose straight after creation
    unused.close();
}

TEST(CallOrder, SampleRateChangeWithoutSuspendActsAsWithSuspend)
{
    constexpr float newRateHz = 96000.0f;
    std::mt19937 careless(kHardeningSeed);
    std::mt19937 proper(kHardeningSeed);
    HostedEffect withoutSuspend;
    HostedEffect withSuspend;
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
