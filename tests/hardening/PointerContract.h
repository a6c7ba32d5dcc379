// What the VST 2.4 interface lets an effect do with the ptr argument of each dispatcher opcode:
// how many bytes a host guarantees there, whether they hold a text for the effect to read, and
// how many of them the effect may write. Shared by the dispatcher tests and the fuzzer.
#pragma once

#include <cstddef>

#include "vst/VstAbi.h"

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

// Interface sizes in bytes of the records behind ptr (x86-64 layouts).
namespace pointer_bytes
{
constexpr std::size_t kPointer = sizeof(void*);
constexpr std::size_t kRect = sizeof(ERect);
// Parameter names keep 15 characters and a terminator: the interface's nominal 8 bytes would
// make several names identical, and every host we know gives 32 or more.
constexpr std::size_t kParamName = 16;
constexpr std::size_t kErrorText = 256;
constexpr std::size_t kPinProperties = 128;
constexpr std::size_t kParameterProperties = 152;
constexpr std::size_t kMidiProgramName = 80;
constexpr std::size_t kMidiProgramCategory = 76;
constexpr std::size_t kMidiKeyName = 80;
constexpr std::size_t kShellPluginName = 64;
constexpr std::size_t kPatchChunkInfo = 64;
constexpr std::size_t kEvents = 32;
constexpr std::size_t kSpeakerArrangement = 8;
} // namespace pointer_bytes

inline PointerContract pointerContract(VstInt32 opcode)
{
    namespace b = pointer_bytes;
    switch (opcode)
    {
    case effSetProgramName:
    case effString2Parameter:
    case effCanDo:
        return {PointerContract::kTextIn, 0};
    case effGetProgramName:
    case effGetProgramNameIndexed:
        return {PointerContract::kOut, kVstMaxProgNameLen};
    case effGetParamLabel:
    case effGetParamDisplay:
        return {PointerContract::kOut, kVstMaxParamStrLen};
    case effGetParamName:
        return {PointerContract::kOut, b::kParamName};
    case effEditGetRect:
    case effGetChunk:
    case effGetSpeakerArrangement:
        return {PointerContract::kOut, b::kPointer};
    case effEditDraw:
        return {PointerContract::kStructIn, b::kRect};
    case effSetChunk:
        return {PointerContract::kStructIn, 0}; // as many bytes as the value says
    case effProcessEvents:
        return {PointerContract::kStructIn, b::kEvents};
    case effSetSpeakerArrangement:
        return {PointerContract::kStructIn, b::kSpeakerArrangement};
    case effBeginLoadBank:
    case effBeginLoadProgram:
        return {PointerContract::kStructIn, b::kPatchChunkInfo};
    case effGetInputProperties:
    case effGetOutputProperties:
        return {PointerContract::kOut, b::kPinProperties};
    case effGetEffectName:
        return {PointerContract::kOut, kVstMaxEffectNameLen};
    case effGetErrorText:
        return {PointerContract::kOut, b::kErrorText};
    case effGetVendorString:
        return {PointerContract::kOut, kVstMaxVendorStrLen};
    case effGetProductString:
        return {PointerContract::kOut, kVstMaxProductStrLen};
    case effGetParameterProperties:
        return {PointerContract::kOut, b::kParameterProperties};
    case effGetMidiProgramName:
    case effGetCurrentMidiProgram:
        return {PointerContract::kOut, b::kMidiProgramName};
    case effGetMidiProgramCategory:
        return {PointerContract::kOut, b::kMidiProgramCategory};
    case effGetMidiKeyName:
        return {PointerContract::kOut, b::kMidiKeyName};
    case effShellGetNextPlugin:
        return {PointerContract::kOut, b::kShellPluginName};
    default:
        return {PointerContract::kNothing, 0};
    }
}

// Opcodes whose value argument is a pointer the host guarantees (to a speaker arrangement).
constexpr bool valueIsPointer(VstInt32 opcode)
{
    return opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
}
