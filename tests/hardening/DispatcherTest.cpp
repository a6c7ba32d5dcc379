// Every opcode from -10 to 200 with random arguments, and every parameter index with values no
// host should send: nothing crashes, nothing is written past the interface's buffers, and the
// output stays finite and, outside bypass, within full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <iostream>

#include "HardeningHost.h"
#include "HostileCall.h"

namespace
{
// Values that break careless code, mixed with plain random ones.
VstIntPtr hostileValue(std::mt19937& random)
{
    static constexpr VstIntPtr specials[] = {
        0, 1, -1, 2, 17, 18, INT_MAX, INT_MIN, LONG_MAX, LONG_MIN, 0x10000, 44100, 1 << 20};
    std::uniform_int_distribution<std::size_t> pick(0, 2 * std::size(specials));
    const std::size_t choice = pick(random);
    if (choice < std::size(specials))
    {
        return specials[choice];
    }
    return static_cast<VstIntPtr>(std::uniform_int_distribution<long>()(random));
}

float hostileFloat(std::mt19937& random)
{
    static constexpr float specials[] = {
        0.0f,    -0.0f,  0.5f,  1.0f,   -1.0f,    NAN,       INFINITY, -INFINITY, FLT_MAX, -FLT_MAX,
        FLT_MIN, 1e-45f, 1e30f, -1e30f, 44100.0f, 192000.0f, 1.0f,     9.0f,      256.0f,  7.0f};
    std::uniform_int_distribution<std::size_t> pick(0, 2 * std::size(specials));
    const std::size_t choice = pick(random);
    if (choice < std::size(specials))
    {
        return specials[choice];
    }
    // Any bit pattern: NaNs with payloads, denormals, anything.
    return __builtin_bit_cast(float, static_cast<std::uint32_t>(random()));
}

HostileCall randomCall(std::mt19937& random, VstInt32 opcode)
{
    std::uniform_int_distribution<int> pointer(HostileCall::kNull, HostileCall::kLarger);
    std::uniform_int_distribution<int> smallIndex(-3, 20);
    const bool plainIndex = random() % 2 == 0;
    return {opcode,
            plainIndex ? smallIndex(random) : static_cast<VstInt32>(hostileValue(random)),
            hostileValue(random),
            static_cast<HostileCall::Pointer>(pointer(random)),
            random(),
            hostileFloat(random)};
}

struct Tally
{
    long calls = 0;
    long overWrites = 0;
    long badBlocks = 0;
};

// One instance through a shuffled run of every opcode, each several times, with blocks of
// every shape in between.
void fuzzOneInstance(std::mt19937& random, Tally& tally)
{
    constexpr int callsPerOpcode = 8;
    constexpr int callsBetweenBlocks = 16;
    constexpr VstInt32 largestBlockFrames = 700;
    Instance instance;
    instance.start();
    std::vector<VstInt32> opcodes;
    for (VstInt32 opcode = kLowestHostileOpcode; opcode <= kHighestHostileOpcode; ++opcode)
    {
        if (!isLeftOutOfRandomCalls(opcode))
        {
            opcodes.insert(opcodes.end(), callsPerOpcode, opcode);
        }
    }
    std::shuffle(opcodes.begin(), opcodes.end(), random);

    GuardedBuffer pointed;
    GuardedBuffer valuePointed;
    StereoBlock<float> floats(largestBlockFrames * 2);
    StereoBlock<double> doubles(largestBlockFrames * 2);
    std::uniform_int_distribution<VstInt32> frames(0, largestBlockFrames);
    std::uniform_int_distribution<VstInt32> parameterIndex(-2, kParameterCount + 1);
    for (std::size_t n = 0; n < opcodes.size(); ++n)
    {
        const HostileCall call = randomCall(random, opcodes[n]);
        if (!performHostileCall(instance.get(), call, random, pointed, valuePointed))
        {
            ++tally.overWrites;
            ADD_FAILURE() << "opcode " << call.opcode << " index " << call.index
                          << " wrote outside the host's buffer";
        }
        // The parameter entries, interleaved with the dispatcher as hosts do.
        instance.setParameter(parameterIndex(random), hostileFloat(random));
        instance.getParameter(parameterIndex(random));
        tally.calls += 3;

        if (n % callsBetweenBlocks == 0)
        {
            const VstInt32 count = frames(random);
            const bool inPlace = random() % 2 == 0;
            const bool ok =
                random() % 2 == 0
                    ? processHostileBlock(instance.get(), random, floats.left.data(),
                                          floats.right.data(), floats.left.data() + count,
                                          floats.right.data() + count, count, inPlace)
                    : processHostileBlock(instance.get(), random, doubles.left.data(),
                                          doubles.right.data(), doubles.left.data() + count,
                                          doubles.right.data() + count, count, inPlace);
            if (!ok)
            {
                ++tally.badBlocks;
                ADD_FAILURE() << "bad output after opcode " << call.opcode;
            }
        }
    }
}
} // namespace

TEST(Dispatcher, SurvivesEveryOpcodeWithHostileArguments)
{
    constexpr int instances = 40;
    std::mt19937 random(kHardeningSeed);
    Tally tally;
    for (int i = 0; i < instances && !HasFailure(); ++i)
    {
        fuzzOneInstance(random, tally);
    }
    std::cout << "dispatcher and parameter calls: " << tally.calls << "\n";
    RecordProperty("calls", static_cast<int>(tally.calls));
    EXPECT_EQ(tally.overWrites, 0);
    EXPECT_EQ(tally.badBlocks, 0);
}

TEST(Dispatcher, ParameterValuesNoHostShouldSendLeaveTheOutputSound)
{
    const float hostile[] = {NAN,    -NAN,  INFINITY, -INFINITY, FLT_MAX,  -FLT_MAX, 1e30f,
                             -1e30f, 1e6f,  -1e6f,    1000.0f,   -1000.0f, 100.0f,   -100.0f,
                             7.5f,   -7.5f, 2.0f,     -1.0f,     1e-45f,   -0.0f};
    constexpr VstInt32 blockFrames = 1024;
    std::mt19937 random(kHardeningSeed);
    StereoBlock<float> block(blockFrames);
    StereoBlock<float> out(blockFrames);
    for (VstInt32 index = 0; index < kParameterCount; ++index)
    {
        for (float value : hostile)
        {
            SCOPED_TRACE(testing::Message() << "index " << index << " value " << value);
            Instance instance; // fresh, so one poisoned state cannot hide the next
            instance.start();
            const float stored = instance.getParameter(index);
            instance.setParameter(index, value);
            GuardedBuffer display;
            display.prepare(random, kVstMaxParamStrLen, kVstMaxParamStrLen, false);
            instance.dispatch(effGetParamDisplay, index, 0, display.data());
            EXPECT_TRUE(display.intact());
            bool sound = true;
            for (int pass = 0; pass < 4; ++pass)
            {
                sound = sound && processHostileBlock(instance.get(), random, block.left.data(),
                                                     block.right.data(), out.left.data(),
                                                     out.right.data(), blockFrames, false);
            }
            EXPECT_TRUE(sound) << "while set";
            // Back to a sane value, the effect must recover: no poisoned state.
            instance.setParameter(index, stored);
            EXPECT_TRUE(processHostileBlock(instance.get(), random, block.left.data(),
                                            block.right.data(), out.left.data(), out.right.data(),
                                            blockFrames, true))
                << "after recovery";
        }
    }
}
