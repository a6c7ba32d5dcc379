// One dispatcher call as a hostile or careless host makes it: any opcode, index, value and opt,
// and a ptr that is null, or points at exactly the bytes the interface guarantees for the
// opcode, or at more. Used by the dispatcher tests and by the fuzzer.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

#include "GuardedBuffer.h"
#include "PointerContract.h"

struct HostileCall
{
    enum Pointer
    {
        kNull,
        kExact,  // the bytes of the opcode's contract (some bytes for opcodes without one)
        kLarger, // the contract's bytes and extraBytes more
    };
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    Pointer pointer;
    std::size_t extraBytes;
    float opt;
};

// The range of opcodes the hostile calls cover, beyond both ends of the defined ones.
constexpr VstInt32 kLowestHostileOpcode = -10;
constexpr VstInt32 kHighestHostileOpcode = 200;

// effClose ends the instance and effEditOpen takes a native window id, so the random calls leave
// both to tests of their own.
constexpr bool isLeftOutOfRandomCalls(VstInt32 opcode)
{
    return opcode == effClose || opcode == effEditOpen;
}

// Makes the call with guarded buffers behind ptr (and behind value where the interface passes a
// pointer there). Returns false when the effect wrote where the interface does not let it.
inline bool performHostileCall(AEffect* effect, const HostileCall& call, std::mt19937& random,
                               GuardedBuffer& pointed, GuardedBuffer& valuePointed)
{
    const PointerContract contract = pointerContract(call.opcode);
    const std::size_t extra = call.extraBytes % (GuardedBuffer::kLargestBytes / 2);
    std::size_t readable = contract.bytes;
    std::size_t writable = contract.kind == PointerContract::kOut ? contract.bytes : 0;
    if (contract.kind == PointerContract::kTextIn || contract.bytes == 0 ||
        call.pointer == HostileCall::kLarger)
    {
        readable += extra + (contract.kind == PointerContract::kTextIn ? 1 : 0);
    }
    pointed.prepare(random, readable, writable, contract.kind == PointerContract::kTextIn);
    void* const ptr = call.pointer == HostileCall::kNull ? nullptr : pointed.data();

    VstIntPtr value = call.value;
    if (valueIsPointer(call.opcode))
    {
        valuePointed.prepare(
            random, pointer_bytes::kSpeakerArrangement,
            call.opcode == effGetSpeakerArrangement ? pointer_bytes::kSpeakerArrangement : 0,
            false);
        value = reinterpret_cast<VstIntPtr>(valuePointed.data());
    }
    else if (call.opcode == effSetChunk && ptr != nullptr)
    {
        value = static_cast<VstIntPtr>(readable); // the size of the chunk behind ptr
    }

    const VstIntPtr answer =
        effect->dispatcher(effect, call.opcode, call.index, value, ptr, call.opt);

    // A rectangle or chunk handed back must be readable.
    if (ptr != nullptr && answer != 0 && call.opcode == effEditGetRect)
    {
        const ERect* rect = *static_cast<ERect* const*>(ptr);
        if (rect != nullptr)
        {
            volatile VstInt16 right = rect->right;
            (void)right;
        }
    }
    return pointed.intact() && (!valueIsPointer(call.opcode) || valuePointed.intact());
}

// Processes one block of loud noise through the 32- or 64-bit entry, in place or not. Returns
// false when an output is not finite or, outside bypass, beyond full scale.
template <typename Sample>
bool processHostileBlock(AEffect* effect, std::mt19937& random, Sample* left, Sample* right,
                         Sample* outLeft, Sample* outRight, VstInt32 frames, bool inPlace)
{
    constexpr float noisePeak = 4.0f; // +12 dBFS: the limiter has work to do
    constexpr float switchThreshold = 0.5f;
    constexpr VstInt32 bypassIndex = 2;
    // The generator's top 24 bits as a sample: cheap enough for the fuzzer's many blocks.
    constexpr int dropBits = 8;
    constexpr float toPeakScale = 2.0f * noisePeak / (1 << 24);
    const auto sample = [&random]
    { return static_cast<float>(random() >> dropBits) * toPeakScale - noisePeak; };
    for (VstInt32 i = 0; i < frames; ++i)
    {
        left[i] = sample();
        right[i] = sample();
    }
    Sample* inputs[] = {left, right};
    Sample* separateOutputs[] = {outLeft, outRight};
    Sample** outputs = inPlace ? inputs : separateOutputs;
    if constexpr (sizeof(Sample) == sizeof(float))
    {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
    else
    {
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }
    const bool bypassed = effect->getParameter(effect, bypassIndex) > switchThreshold;
    for (VstInt32 i = 0; i < frames; ++i)
    {
        for (Sample out : {outputs[0][i], outputs[1][i]})
        {
            if (!std::isfinite(out) || (!bypassed && std::fabs(out) > 1.0))
            {
                return false;
            }
        }
    }
    return true;
}
