// libFuzzer target over the effect's host entries: the dispatcher with any opcode from -10 to
// 200 and guarded buffers behind ptr, setParameter and getParameter with any bits, and process
// blocks of any size in both precisions, in place or not. A write past a guaranteed buffer, an
// output that is not finite or, outside bypass, beyond full scale stops the run; ASan and UBSan
// stop it on any memory or undefined-behaviour fault.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugin/LimiterEffect.h"
#include "tests/support/HostileCall.h"
#include "tests/support/RecordingHost.h"

namespace
{
void fail(const char* what, VstInt32 opcode)
{
    std::fprintf(stderr, "%s (last opcode %d)\n", what, opcode);
    std::abort();
}

enum Action
{
    kDispatch,
    kSetParameter,
    kGetParameter,
    kProcessFloat,
    kProcessDouble,
    kLastAction = kProcessDouble
};

constexpr VstInt32 kLargestBlockFrames = 256;
// Calls made into the effect over the whole run, printed when the run ends.
struct CallTally
{
    long calls = 0;
    ~CallTally() { std::fprintf(stderr, "dispatcher, parameter and process calls: %ld\n", calls); }
};
CallTally tally;

constexpr VstInt32 kLowestIndex = -4;
constexpr VstInt32 kHighestIndex = 24;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::mt19937 random(input.ConsumeIntegral<std::uint32_t>());
    // LimiterEffect carries the whole dispatcher and parameter path; the editor, which needs a
    // display, is left to the x11 tests.
    auto* effect = new LimiterEffect(recordingHostCallback);
    AEffect* record = effect->getAeffect();
    record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);

    GuardedBuffer pointed;
    GuardedBuffer valuePointed;
    static std::vector<float> floats(4 * kLargestBlockFrames);
    static std::vector<double> doubles(4 * kLargestBlockFrames);
    VstInt32 lastOpcode = 0;
    while (input.remaining_bytes() > 0)
    {
        ++tally.calls;
        switch (input.ConsumeIntegralInRange<int>(0, kLastAction))
        {
        case kDispatch:
        {
            HostileCall call{};
            call.opcode =
                input.ConsumeIntegralInRange<VstInt32>(kLowestHostileOpcode, kHighestHostileOpcode);
            if (isLeftOutOfRandomCalls(call.opcode))
                break;
            call.index = input.ConsumeIntegral<VstInt32>();
            call.value = input.ConsumeIntegral<VstIntPtr>();
            call.pointer = static_cast<HostileCall::Pointer>(
                input.ConsumeIntegralInRange<int>(HostileCall::kNull, HostileCall::kLarger));
            call.extraBytes = input.ConsumeIntegral<std::uint16_t>();
            call.opt = __builtin_bit_cast(float, input.ConsumeIntegral<std::uint32_t>());
            lastOpcode = call.opcode;
            if (!performHostileCall(record, call, random, pointed, valuePointed))
                fail("wrote outside the host's buffer", call.opcode);
            break;
        }
        case kSetParameter:
            record->setParameter(
                record, input.ConsumeIntegralInRange<VstInt32>(kLowestIndex, kHighestIndex),
                __builtin_bit_cast(float, input.ConsumeIntegral<std::uint32_t>()));
            break;
        case kGetParameter:
            record->getParameter(
                record, input.ConsumeIntegralInRange<VstInt32>(kLowestIndex, kHighestIndex));
            break;
        case kProcessFloat:
        case kProcessDouble:
        {
            const bool wide = input.ConsumeBool();
            const bool inPlace = input.ConsumeBool();
            const auto frames = input.ConsumeIntegralInRange<VstInt32>(0, kLargestBlockFrames);
            const std::size_t n = kLargestBlockFrames;
            const bool sound =
                wide ? processHostileBlock(record, random, &doubles[0], &doubles[n],
                                           &doubles[2 * n], &doubles[3 * n], frames, inPlace)
                     : processHostileBlock(record, random, &floats[0], &floats[n], &floats[2 * n],
                                           &floats[3 * n], frames, inPlace);
            if (!sound)
                fail("output not finite or beyond full scale outside bypass", lastOpcode);
            break;
        }
        }
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); // deletes the effect
    return 0;
}
