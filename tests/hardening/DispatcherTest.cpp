// Every opcode from -10 to 200 with random arguments, and every parameter index with values no
// host should send: nothing crashes, nothing is written past the interface's buffers, and the
// output stays finite and, outside bypass, within full scale.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <iostream>

#include "HardeningHost.h"
#include "tests/support/HostileCall.h"

namespace
{
// Values that break careless code, half the time; else a plain random one.
VstIntPtr hostileValue(std::mt19937& random)
{
    static constexpr VstIntPtr specials[] = {
        0, 1, -1, 2, 17, 18, INT_MAX, INT_MIN, LONG_MAX, LONG_MIN, 0x10000, 44100, 1 << 20};
    const std::size_t choice = random() % (2 * std::size(specials));
    return choice < std::size(specials)
               ? specials[choice]
               : static_cast<VstIntPtr>(std::uint64_t{random()} << 32 | random());
}

float hostileFloat(std::mt19937& random)
{
    static constexpr float specials[] = {
        0.0f,    -0.0f,  0.5f,  1.0f,   -1.0f,    NAN,       INFINITY, -INFINITY, FLT_MAX, -FLT_MAX,
        FLT_MIN, 1e-45f, 1e30f, -1e30f, 44100.0f, 192000.0f, 9.0f,     256.0f,    7.0f};
    const std::size_t choice = random() % (2 * std::size(specials));
    // Else any bit pattern: NaNs with payloads, denormals, anything.
    return choice < std::size(specials)
               ? specials[choice]
               : __builtin_bit_cast(float, static_cast<std::uint32_t>(random()));
}
} // namespace

// One instance after another through a shuffled run of every opcode, each several times, with
// the parameter entries interleaved as hosts do and blocks of every shape in between.
TEST(Dispatcher, SurvivesEveryOpcodeWithHostileArguments)
{
    constexpr int instances = 40;
    constexpr int callsPerOpcode = 8;
    constexpr int callsBetweenBlocks = 16;
    constexpr VstInt32 largestBlockFrames = 700;
    std::mt19937 random(kHardeningSeed);
    std::vector<VstInt32> opcodes;
    for (VstInt32 opcode = kLowestHostileOpcode; opcode <= kHighestHostileOpcode; ++opcode)
        if (!isLeftOutOfRandomCalls(opcode))
            opcodes.insert(opcodes.end(), callsPerOpcode, opcode);
    GuardedBuffer pointed;
    GuardedBuffer valuePointed;
    StereoBlock<float> floats(largestBlockFrames * 2);
    StereoBlock<double> doubles(largestBlockFrames * 2);
    std::uniform_int_distribution<int> pointer(HostileCall::kNull, HostileCall::kLarger);
    std::uniform_int_distribution<int> smallIndex(-3, 20);
    const VstInt32 parameterCount = HostedEffect().parameterCount();
    std::uniform_int_distribution<VstInt32> parameterIndex(-2, parameterCount + 1);
    std::uniform_int_distribution<VstInt32> frames(0, largestBlockFrames);
    // Into the front of a block, in place or behind; through the entry of the block's type.
    const auto loudBlock = [&](auto& block, const HostedEffect& instance)
    {
        const VstInt32 count = frames(random);
        return processHostileBlock(instance.get(), random, block.left.data(), block.right.data(),
                                   block.left.data() + count, block.right.data() + count, count,
                                   random() % 2 == 0);
    };
    long calls = 0;
    for (int i = 0; i < instances && !HasFailure(); ++i)
    {
        HostedEffect instance;
        instance.start();
        std::shuffle(opcodes.begin(), opcodes.end(), random);
        for (std::size_t n = 0; n < opcodes.size(); ++n)
        {
            const HostileCall call{opcodes[n],
                                   random() % 2 == 0 ? smallIndex(random)
                                                     : static_cast<VstInt32>(hostileValue(random)),
                                   hostileValue(random),
                                   static_cast<HostileCall::Pointer>(pointer(random)),
                                   random(),
                                   hostileFloat(random)};
            EXPECT_TRUE(performHostileCall(instance.get(), call, random, pointed, valuePointed))
                << "opcode " << call.opcode << " index " << call.index
                << " wrote outside the host's buffer";
            instance.setParameter(parameterIndex(random), hostileFloat(random));
            instance.getParameter(parameterIndex(random));
            calls += 3;
            EXPECT_TRUE(
                n % callsBetweenBlocks != 0 ||
                (random() % 2 == 0 ? loudBlock(floats, instance) : loudBlock(doubles, instance)))
                << "bad output after opcode " << call.opcode;
        }
    }
    std::cout << "dispatcher and parameter calls: " << calls << "\n";
    RecordProperty("calls", static_cast<int>(calls));
}

// Guards the mended faults of host values far outside 0..1: trim above 1 raised the output past
// full scale, huge drive, side gain or soft-clip values gave NaN, a correlation threshold outside
// -1..1 misbehaved. Every index gets each value on a fresh instance, then must recover.
TEST(Dispatcher, ParameterValuesNoHostShouldSendLeaveTheOutputSound)
{
    const float hostile[] = {NAN,    -NAN,  INFINITY, -INFINITY, FLT_MAX,  -FLT_MAX, 1e30f,
                             -1e30f, 1e6f,  -1e6f,    1000.0f,   -1000.0f, 100.0f,   -100.0f,
                             7.5f,   -7.5f, 2.0f,     -1.0f,     1e-45f,   -0.0f};
    constexpr VstInt32 blockFrames = 1024;
    constexpr int blocksWhileSet = 4;
    std::mt19937 random(kHardeningSeed);
    StereoBlock<float> block(blockFrames);
    StereoBlock<float> out(blockFrames);
    const auto soundBlock = [&](const HostedEffect& instance, bool inPlace)
    {
        return processHostileBlock(instance.get(), random, block.left.data(), block.right.data(),
                                   out.left.data(), out.right.data(), blockFrames, inPlace);
    };
    const VstInt32 parameterCount = HostedEffect().parameterCount();
    for (VstInt32 index = 0; index < parameterCount; ++index)
    {
        for (float value : hostile)
        {
            SCOPED_TRACE(testing::Message() << "index " << index << " value " << value);
            HostedEffect instance; // fresh, so one poisoned state cannot hide the next
            instance.start();
            const float stored = instance.getParameter(index);
            instance.setParameter(index, value);
            GuardedBuffer display;
            display.prepare(random, kVstMaxParamStrLen, kVstMaxParamStrLen, false);
            instance.dispatch(effGetParamDisplay, index, 0, display.data());
            EXPECT_TRUE(display.intact());
            for (int pass = 0; pass < blocksWhileSet; ++pass)
                EXPECT_TRUE(soundBlock(instance, false)) << "while set";
            // Back to a sane value, the effect must recover: no poisoned state.
            instance.setParameter(index, stored);
            EXPECT_TRUE(soundBlock(instance, true)) << "after recovery";
        }
    }
}
