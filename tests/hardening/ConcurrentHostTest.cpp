// A host's GUI thread busy with programs, parameters, texts and state changes while its audio
// thread processes: no data race (run under ThreadSanitizer), output finite and within full
// scale.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "HardeningHost.h"

namespace
{
#ifdef HARDENING_SANITIZED
constexpr int kBlockCount = 400;
#else
constexpr int kBlockCount = 4000;
#endif
constexpr VstInt32 kBlockFrames = 128;
} // namespace

TEST(ConcurrentHost, ProgramChangesAndTextsDuringProcessing)
{
    Instance instance;
    instance.start();
    std::atomic<bool> done{false};
    std::thread gui(
        [&instance, &done]
        {
            std::mt19937 random(kHardeningSeed);
            std::uniform_real_distribution<float> value(0.0f, 1.0f);
            char text[64];
            for (VstInt32 n = 0; !done.load(std::memory_order_relaxed); ++n)
            {
                instance.dispatch(effSetProgram, 0, n % kProgramCount);
                const VstInt32 index = n % kParameterCount;
                if (index != kBypassIndex)
                {
                    instance.setParameter(index, value(random));
                }
                instance.dispatch(effGetParamDisplay, index, 0, text);
                instance.dispatch(effGetProgramName, 0, 0, text);
                instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Concurrent"));
                instance.dispatch(effEditIdle);
                instance.getParameter(index);
            }
        });

    std::mt19937 random(kHardeningSeed + 1);
    StereoBlock<float> block(kBlockFrames);
    double largest = 0.0;
    for (int b = 0; b < kBlockCount; ++b)
    {
        fillNoise(block, random, 2.0f);
        instance->processReplacing(instance.get(), block.channels, block.channels, kBlockFrames);
        largest = std::max(largest, largestMagnitude(block));
    }
    done.store(true);
    gui.join();
    EXPECT_LE(largest, 1.0);
}
