// The audio thread's work allocates nothing and takes no mutex: processing in both precisions,
// with parameter changes, soft bypass switching and program changes arriving on the same thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <mutex>

#include "CallCounter.h"
#include "HardeningHost.h"

TEST(RealtimeSafety, TheCounterSeesAllocationsAndLocks)
{
    // Called through volatile pointers, so the compiler cannot elide the pairs.
    void* (*volatile allocate)(std::size_t) = std::malloc;
    void (*volatile release)(void*) = std::free;
    void* (*volatile allocateObject)(std::size_t) = ::operator new;
    void (*volatile releaseObject)(void*) noexcept = ::operator delete;
    constexpr std::size_t bytes = 64;
    std::mutex mutex;
    startCounting();
    release(allocate(bytes));
    releaseObject(allocateObject(bytes));
    mutex.lock();
    mutex.unlock();
    const CountedCalls calls = stopCounting();
    EXPECT_EQ(calls.allocations, 2);
    EXPECT_EQ(calls.releases, 2);
    EXPECT_EQ(calls.mutexOperations, 2);
}

TEST(RealtimeSafety, AudioThreadWorkNeitherAllocatesNorLocks)
{
    constexpr int blockCount = 20000;
    constexpr VstInt32 largestBlockFrames = 256;
    std::mt19937 random(kHardeningSeed);
    std::uniform_int_distribution<VstInt32> frames(1, largestBlockFrames);
    std::uniform_int_distribution<VstInt32> index(0, kParameterCount - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    StereoBlock<float> floats(largestBlockFrames);
    StereoBlock<double> doubles(largestBlockFrames);
    fillNoise(floats, random, 2.0f);
    fillNoise(doubles, random, 2.0f);
    Instance instance;
    instance.start();

    // Everything between start and stop is what a host's audio thread may call.
    long audioThreadCalls = 0;
    startCounting();
    for (int b = 0; b < blockCount; ++b)
    {
        for (int change = 0; change < 4; ++change)
        {
            instance.setParameter(index(random), value(random));
        }
        instance.setParameter(kDitheringIndex, kLargestDitheringPosition * value(random));
        instance.setParameter(index(random), NAN);
        instance.dispatch(effSetBypass, 0, b % 7 == 0 ? 1 : 0);
        if (b % 5 == 0)
        {
            instance.dispatch(effSetProgram, 0, (b / 5) % kProgramCount);
        }
        instance.getParameter(index(random));
        instance->processReplacing(instance.get(), floats.channels, floats.channels,
                                   frames(random));
        instance->processDoubleReplacing(instance.get(), doubles.channels, doubles.channels,
                                         frames(random));
        audioThreadCalls += 11;
    }
    const CountedCalls calls = stopCounting();
    std::cout << "audio thread calls: " << audioThreadCalls << ", allocations " << calls.allocations
              << ", releases " << calls.releases << ", mutex operations " << calls.mutexOperations
              << "\n";
    EXPECT_EQ(calls.allocations, 0);
    EXPECT_EQ(calls.releases, 0);
    EXPECT_EQ(calls.mutexOperations, 0);
}
