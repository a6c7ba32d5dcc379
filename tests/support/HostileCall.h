// One dispatcher call as a hostile or careless host makes it: any opcode, index, value and opt,
// and a ptr that is null, or points at exactly the bytes the VST 2.4 interface guarantees for the
// opcode, or at more, inside guard bytes that show any write outside what the interface lets the
// effect write. Used by the dispatcher tests and by the fuzzer.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "vst/VstAbi.h"

// What the interface lets an effect do with the ptr argument of an opcode, and how many bytes a
// host guarantees there.
struct PointerContract
{
    enum Kind
    {
        kNothing,  // the effect must not touch ptr: any bytes there are the host's
        kTextIn,   // a terminated text for the effect to read
        kStructIn, // a record for the effect to read
        kOut,      // a buffer of `bytes` for the effect to fill
    };
    Kind kind;
    std::size_t bytes;
};

// A speaker arrangement's bytes: behind value for the speaker-arrangement opcodes.
constexpr std::size_t kSpeakerArrangementBytes = 8;

inline PointerContract pointerContract(VstInt32 opcode)
{
    using C = PointerContract;
    constexpr std::size_t pointerBytes = sizeof(void*);
    // Parameter names keep 15 characters and a terminator: the interface's nominal 8 bytes would
    // make several names identical, and every host we know gives 32 or more.
    constexpr std::size_t paramNameBytes = 16;
    // Record sizes in bytes, x86-64 layouts.
    static const struct
    {
        PointerContract contract;
        std::vector<VstInt32> opcodes;
    } contracts[] = {
        {{C::kTextIn, 0}, {effSetProgramName, effString2Parameter, effCanDo}},
        {{C::kOut, kVstMaxProgNameLen}, {effGetProgramName, effGetProgramNameIndexed}},
        {{C::kOut, kVstMaxParamStrLen}, {effGetParamLabel, effGetParamDisplay}},
        {{C::kOut, paramNameBytes}, {effGetParamName}},
        {{C::kOut, pointerBytes}, {effEditGetRect, effGetChunk, effGetSpeakerArrangement}},
        {{C::kStructIn, sizeof(ERect)}, {effEditDraw}},
        {{C::kStructIn, 0}, {effSetChunk}}, // as many bytes as the value says
        {{C::kStructIn, 32}, {effProcessEvents}},
        {{C::kStructIn, kSpeakerArrangementBytes}, {effSetSpeakerArrangement}},
        {{C::kStructIn, 64}, {effBeginLoadBank, effBeginLoadProgram}},
        {{C::kOut, 128}, {effGetInputProperties, effGetOutputProperties}},
        {{C::kOut, kVstMaxEffectNameLen}, {effGetEffectName}},
        {{C::kOut, 256}, {effGetErrorText}},
        {{C::kOut, kVstMaxVendorStrLen}, {effGetVendorString}},
        {{C::kOut, kVstMaxProductStrLen}, {effGetProductString}},
        {{C::kOut, 152}, {effGetParameterProperties}},
        {{C::kOut, 80}, {effGetMidiProgramName, effGetCurrentMidiProgram, effGetMidiKeyName}},
        {{C::kOut, 76}, {effGetMidiProgramCategory}},
        {{C::kOut, 64}, {effShellGetNextPlugin}},
    };
    for (const auto& entry : contracts)
        if (std::find(entry.opcodes.begin(), entry.opcodes.end(), opcode) != entry.opcodes.end())
            return entry.contract;
    return {C::kNothing, 0};
}

// Opcodes whose value argument is a pointer the host guarantees (to a speaker arrangement).
constexpr bool valueIsPointer(VstInt32 opcode)
{
    return opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
}

// A buffer handed to the effect, with guard bytes on both sides and a record of its content.
class GuardedBuffer
{
  public:
    static constexpr std::size_t kGuardBytes = 64;
    static constexpr std::size_t kLargestBytes = 512;

    // readableBytes of random content (a text ending in a terminator when asked), of which the
    // first writableBytes may be written by the effect.
    void prepare(std::mt19937& random, std::size_t readableBytes, std::size_t writableBytes,
                 bool terminatedText)
    {
        writable = writableBytes;
        for (unsigned char& b : storage)
            b = static_cast<unsigned char>(random());
        for (std::size_t i = 0; terminatedText && i < readableBytes; ++i)
            storage[kGuardBytes + i] =
                i + 1 < readableBytes ? static_cast<unsigned char>(' ' + random() % 95) : '\0';
        before = storage;
    }

    void* data() { return storage.data() + kGuardBytes; }

    // True when nothing changed outside the writable bytes.
    bool intact() const
    {
        const std::size_t writableEnd = kGuardBytes + writable;
        return std::memcmp(storage.data(), before.data(), kGuardBytes) == 0 &&
               std::memcmp(storage.data() + writableEnd, before.data() + writableEnd,
                           storage.size() - writableEnd) == 0;
    }

  private:
    std::array<unsigned char, kLargestBytes + 2 * kGuardBytes> storage{};
    std::array<unsigned char, kLargestBytes + 2 * kGuardBytes> before{};
    std::size_t writable = 0;
};

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
    const bool text = contract.kind == PointerContract::kTextIn;
    const std::size_t extra = call.extraBytes % (GuardedBuffer::kLargestBytes / 2);
    std::size_t readable = contract.bytes;
    if (text || contract.bytes == 0 || call.pointer == HostileCall::kLarger)
        readable += extra + (text ? 1 : 0);
    pointed.prepare(random, readable, contract.kind == PointerContract::kOut ? contract.bytes : 0,
                    text);
    void* const ptr = call.pointer == HostileCall::kNull ? nullptr : pointed.data();

    VstIntPtr value = call.value;
    if (valueIsPointer(call.opcode))
    {
        valuePointed.prepare(random, kSpeakerArrangementBytes,
                             call.opcode == effGetSpeakerArrangement ? kSpeakerArrangementBytes : 0,
                             false);
        value = reinterpret_cast<VstIntPtr>(valuePointed.data());
    }
    else if (call.opcode == effSetChunk && ptr != nullptr)
        value = static_cast<VstIntPtr>(readable); // the size of the chunk behind ptr

    const VstIntPtr answer =
        effect->dispatcher(effect, call.opcode, call.index, value, ptr, call.opt);
    // A rectangle handed back must be readable.
    if (ptr != nullptr && answer != 0 && call.opcode == effEditGetRect)
        if (const ERect* rect = *static_cast<ERect* const*>(ptr))
            static_cast<void>(*static_cast<const volatile VstInt16*>(&rect->right));
    return pointed.intact() && (!valueIsPointer(call.opcode) || valuePointed.intact());
}

// Processes one block of loud noise through the 32- or 64-bit entry, in place or not. Returns
// false when an output is not finite or, outside bypass, beyond full scale.
template <typename Sample>
bool processHostileBlock(AEffect* effect, std::mt19937& random, Sample* left, Sample* right,
                         Sample* outLeft, Sample* outRight, VstInt32 frames, bool inPlace)
{
    constexpr float noisePeak = 4.0f; // +12 dBFS: the limiter has work to do
    constexpr VstInt32 bypassIndex = 2;
    // The generator's top 24 bits as a sample: cheap enough for the fuzzer's many blocks.
    constexpr float toPeakScale = 2.0f * noisePeak / (1 << 24);
    for (VstInt32 i = 0; i < frames; ++i)
    {
        left[i] = static_cast<float>(random() >> 8) * toPeakScale - noisePeak;
        right[i] = static_cast<float>(random() >> 8) * toPeakScale - noisePeak;
    }
    Sample* inputs[] = {left, right};
    Sample* separateOutputs[] = {outLeft, outRight};
    Sample** outputs = inPlace ? inputs : separateOutputs;
    if constexpr (sizeof(Sample) == sizeof(float))
        effect->processReplacing(effect, inputs, outputs, frames);
    else
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    const bool bypassed = effect->getParameter(effect, bypassIndex) > 0.5f; // a switch
    for (VstInt32 i = 0; i < frames; ++i)
    {
        for (Sample out : {outputs[0][i], outputs[1][i]})
            if (!std::isfinite(out) || (!bypassed && std::fabs(out) > 1.0))
                return false;
    }
    return true;
}
