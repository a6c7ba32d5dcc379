// The audio thread's work allocates nothing and takes no mutex: processing in both precisions,
// with parameter changes, soft bypass switching and program changes arriving on the same thread;
// the LV2 edition's run with changing, hostile and reset port values; the CLAP edition's process
// with parameter events inside its blocks, in both precisions; and the VST3 edition's process
// with parameter, program and hostile changes inside its blocks, at 32 and 64 bits.
// The test counts the calls this process makes to the heap (malloc, calloc, realloc, free and the
// aligned allocators, where libstdc++'s operator new and delete end) and to pthread mutexes (lock,
// trylock, unlock) while counting is on for the calling thread, by interposing these functions
// for the whole process, the dlopen'ed plug-in included. The sanitizers interpose them too, so
// the build leaves this test out there.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include <lv2/core/lv2.h>

#include "HardeningHost.h"
#include "tests/clap/ClapTestHost.h"
#include "lv2/Lv2Ports.h"
#include "tests/vst3/Vst3TestHost.h"
#include "vst3plugin/Vst3Parameters.h"

// glibc's own entries: the interposed functions pass every call on to them.
extern "C"
{
    void* __libc_malloc(std::size_t bytes);
    void* __libc_calloc(std::size_t count, std::size_t bytes);
    void* __libc_realloc(void* memory, std::size_t bytes);
    void* __libc_memalign(std::size_t alignment, std::size_t bytes);
    void __libc_free(void* memory);
}

namespace
{
enum Counted
{
    kAllocations,
    kReleases,
    kMutexOperations
};
using Counts = std::array<long, 3>; // by Counted
// Per thread, so the counts belong to the thread under test alone. Plain thread_local data of
// the executable needs no allocation to reach.
thread_local bool counting = false;
thread_local Counts counts;

void startCounting()
{
    counts = {};
    counting = true;
}

void* countedAllocation(void* memory)
{
    counts[kAllocations] += counting;
    return memory;
}

using MutexFunction = int (*)(pthread_mutex_t*);

// Counts, then calls libc's definition, looked up at the first call: a lock may be taken while
// the program loads, before any constructor of this file has run.
int countedMutexCall(MutexFunction& next, const char* name, pthread_mutex_t* mutex)
{
    counts[kMutexOperations] += counting;
    if (next == nullptr)
        next = reinterpret_cast<MutexFunction>(dlsym(RTLD_NEXT, name));
    return next(mutex);
}

MutexFunction nextLock = nullptr;
MutexFunction nextTryLock = nullptr;
MutexFunction nextUnlock = nullptr;
} // namespace

extern "C"
{
    void* malloc(std::size_t bytes)
    {
        return countedAllocation(__libc_malloc(bytes));
    }
    void* calloc(std::size_t count, std::size_t bytes)
    {
        return countedAllocation(__libc_calloc(count, bytes));
    }
    void* realloc(void* memory, std::size_t bytes)
    {
        return countedAllocation(__libc_realloc(memory, bytes));
    }
    void* memalign(std::size_t alignment, std::size_t bytes)
    {
        return countedAllocation(__libc_memalign(alignment, bytes));
    }
    void* aligned_alloc(std::size_t alignment, std::size_t bytes)
    {
        return countedAllocation(__libc_memalign(alignment, bytes));
    }
    int posix_memalign(void** memory, std::size_t alignment, std::size_t bytes)
    {
        *memory = countedAllocation(__libc_memalign(alignment, bytes));
        return *memory != nullptr ? 0 : ENOMEM;
    }
    void free(void* memory)
    {
        counts[kReleases] += counting;
        __libc_free(memory);
    }
    int pthread_mutex_lock(pthread_mutex_t* mutex)
    {
        return countedMutexCall(nextLock, "pthread_mutex_lock", mutex);
    }
    int pthread_mutex_trylock(pthread_mutex_t* mutex)
    {
        return countedMutexCall(nextTryLock, "pthread_mutex_trylock", mutex);
    }
    int pthread_mutex_unlock(pthread_mutex_t* mutex)
    {
        return countedMutexCall(nextUnlock, "pthread_mutex_unlock", mutex);
    }
}

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
    counting = false;
    EXPECT_EQ(counts, (Counts{2, 2, 2}));
}

TEST(RealtimeSafety, AudioThreadWorkNeitherAllocatesNorLocks)
{
    constexpr int blockCount = 20000;
    constexpr VstInt32 largestBlockFrames = 256;
    constexpr float noisePeak = 2.0f;
    std::mt19937 random(kHardeningSeed);
    std::uniform_int_distribution<VstInt32> frames(1, largestBlockFrames);
    HostedEffect instance;
    instance.start();
    std::uniform_int_distribution<VstInt32> index(0, instance.parameterCount() - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    StereoBlock<float> floats(largestBlockFrames);
    StereoBlock<double> doubles(largestBlockFrames);
    floats.fillNoise(random, noisePeak);
    doubles.fillNoise(random, noisePeak);

    // Everything between start and stop is what a host's audio thread may call.
    startCounting();
    for (int b = 0; b < blockCount; ++b)
    {
        for (int change = 0; change < 4; ++change)
            instance.setParameter(index(random), value(random));
        instance.setParameter(kDitheringIndex, kLargestDitheringPosition * value(random));
        instance.setParameter(index(random), NAN);
        instance.dispatch(effSetBypass, 0, b % 7 == 0 ? 1 : 0);
        if (b % 5 == 0)
            instance.dispatch(effSetProgram, 0, (b / 5) % instance.programCount());
        instance.getParameter(index(random));
        instance.process(floats.channels, floats.channels, frames(random));
        instance.process(doubles.channels, doubles.channels, frames(random));
    }
    counting = false;
    EXPECT_EQ(counts, (Counts{0, 0, 0}));
}

TEST(RealtimeSafety, Lv2RunNeitherAllocatesNorLocks)
{
    constexpr int runCount = 20000;
    constexpr std::uint32_t largestRunFrames = 256;
    constexpr float noisePeak = 2.0f;
    // Port values in and far beyond every control's range.
    std::uniform_real_distribution<float> portValue(-1000.0f, 1000.0f);
    std::uniform_int_distribution<std::uint32_t> frames(0, largestRunFrames);
    std::uniform_int_distribution<std::uint32_t> parameter(0, kNumParams - 1);
    std::mt19937 random(kHardeningSeed);
    StereoBlock<float> block(largestRunFrames);
    block.fillNoise(random, noisePeak);

    void* library = dlopen(VARNHOLT_LV2_DSP_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    const LV2_Descriptor* descriptor = entry(0);
    const LV2_Feature* const noFeatures[] = {nullptr};
    LV2_Handle instance = descriptor->instantiate(descriptor, 48000.0, "", noFeatures);
    ASSERT_NE(instance, nullptr);
    float controls[lv2_port::kPortCount] = {};
    for (std::uint32_t port = 0; port < lv2_port::kPortCount; ++port)
        descriptor->connect_port(instance, port, &controls[port]);
    // In place, as hosts may run it.
    for (std::uint32_t channel = 0; channel < 2; ++channel)
    {
        descriptor->connect_port(instance, lv2_port::kAudioInLeft + channel, block.channels[channel]);
        descriptor->connect_port(instance, lv2_port::kAudioOutLeft + channel, block.channels[channel]);
    }
    descriptor->activate(instance);

    // Everything between start and stop is what a host's audio thread may call.
    startCounting();
    for (int run = 0; run < runCount; ++run)
    {
        for (int change = 0; change < 4; ++change)
            controls[parameter(random)] = portValue(random);
        controls[parameter(random)] = NAN;
        controls[lv2_port::kPeakHoldReset] = static_cast<float>(run / 7 % 2);
        descriptor->run(instance, frames(random));
    }
    counting = false;
    EXPECT_EQ(counts, (Counts{0, 0, 0}));
    descriptor->deactivate(instance);
    descriptor->cleanup(instance);
    dlclose(library);
}

TEST(RealtimeSafety, ClapProcessNeitherAllocatesNorLocks)
{
    constexpr int blockCount = 20000;
    constexpr std::uint32_t largestBlockFrames = 256;
    constexpr int eventListCount = 64;
    constexpr float noisePeak = 2.0f;
    std::mt19937 random(kHardeningSeed);
    std::uniform_int_distribution<std::uint32_t> frames(1, largestBlockFrames);
    std::uniform_int_distribution<clap_id> parameter(0, kNumParams - 1);
    // Plain values in and far beyond every parameter's range, and values that are no number.
    std::uniform_real_distribution<double> plainValue(-1000.0, 1000.0);
    // The lists are built before counting starts, as a host fills its queues ahead.
    std::vector<EventList> lists(eventListCount);
    for (EventList& list : lists)
    {
        std::uint32_t time = 0;
        for (int change = 0; change < 5; ++change)
        {
            time += frames(random) / 4;
            list.addValue(time, parameter(random), plainValue(random));
        }
        list.addValue(time, parameter(random), NAN);
    }
    StereoBlock<float> floats(largestBlockFrames);
    StereoBlock<double> doubles(largestBlockFrames);
    floats.fillNoise(random, noisePeak);
    doubles.fillNoise(random, noisePeak);
    ClapInstance clap;
    const auto* metering =
        clap.extension<clap_plugin_gain_adjustment_metering>(kClapExtGainAdjustmentMetering);
    for (EventList& list : lists)
        list.input();

    startCounting();
    for (int b = 0; b < blockCount; ++b)
    {
        EventList& list = lists[static_cast<std::size_t>(b) % lists.size()];
        clap.processBlock<float>(floats.channels, floats.channels, frames(random), &list);
        clap.processBlock<double>(doubles.channels, doubles.channels, frames(random), &list);
        metering->get(clap.plugin);
    }
    counting = false;
    EXPECT_EQ(counts, (Counts{0, 0, 0}));
}

TEST(RealtimeSafety, Vst3ProcessNeitherAllocatesNorLocks)
{
    constexpr int blockCount = 20000;
    constexpr int changeSets = 64;
    constexpr std::int32_t largestBlockFrames = 256;
    constexpr float noisePeak = 2.0f;
    std::mt19937 random(kHardeningSeed);
    std::uniform_int_distribution<std::int32_t> frames(0, largestBlockFrames);
    std::uniform_int_distribution<std::int32_t> offset(-4, largestBlockFrames + 4);
    std::uniform_int_distribution<vst3::ParamID> id(0, kNumParams);
    std::uniform_real_distribution<double> value(-0.5, 1.5);
    // The host's queues are made before counting: they are the host's allocations.
    std::vector<ParameterChanges> sets(changeSets);
    for (ParameterChanges& set : sets)
    {
        for (int change = 0; change < 6; ++change)
        {
            const vst3::ParamID target = id(random);
            set.add(target == kNumParams ? vst3_parameters::kProgramId : target, offset(random),
                    value(random));
        }
        set.add(kBypass, offset(random), NAN);
    }
    StereoBlock<float> floats(largestBlockFrames);
    StereoBlock<double> doubles(largestBlockFrames);
    floats.fillNoise(random, noisePeak);
    doubles.fillNoise(random, noisePeak);
    HostedVst3 narrow;
    HostedVst3 wide(vst3::kSample64);

    // Everything between start and stop is what a host's audio thread may call.
    startCounting();
    for (int b = 0; b < blockCount; ++b)
    {
        narrow.process(floats.channels, floats.channels, frames(random), &sets[b % changeSets]);
        wide.process(doubles.channels, doubles.channels, frames(random),
                     &sets[(b + 1) % changeSets]);
    }
    counting = false;
    EXPECT_EQ(counts, (Counts{0, 0, 0}));
}
