#include "host/plugins/HostCallback.h"

#include "vst/TextCopy.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr double kRenderTempoBpm = 120.0; // nothing to follow offline; a common default
constexpr VstInt32 kBeatsPerBar = 4;
constexpr VstInt32 kBeatUnit = 4;
constexpr char kHostVendor[] = "Varnholt";
constexpr char kHostProduct[] = "varnholt-render";

const char* const kHostCanDo[] = {"sendVstTimeInfo", "startStopProcess", "acceptIOChanges"};

thread_local HostContext* instantiatingContext = nullptr;

HostContext* contextOf(AEffect* effect)
{
    if (effect != nullptr && effect->resvd1 != 0)
        return reinterpret_cast<HostContext*>(effect->resvd1);
    return instantiatingContext;
}

VstIntPtr answerText(void* destination, const char* text, std::size_t capacity)
{
    if (destination == nullptr)
        return 0;
    copyText(static_cast<char*>(destination), text, capacity);
    return 1;
}

VstIntPtr canDo(const void* feature)
{
    if (feature == nullptr)
        return 0;
    for (const char* known : kHostCanDo)
        if (std::strcmp(static_cast<const char*>(feature), known) == 0)
            return 1;
    return 0;
}
} // namespace

void HostContext::setPosition(double samplePos, bool transportChanged)
{
    const double quarterNotes = samplePos / sampleRateHz * kRenderTempoBpm / 60.0;
    timeInfo.samplePos = samplePos;
    timeInfo.sampleRate = sampleRateHz;
    timeInfo.ppqPos = quarterNotes;
    timeInfo.tempo = kRenderTempoBpm;
    timeInfo.barStartPos = std::floor(quarterNotes / kBeatsPerBar) * kBeatsPerBar;
    timeInfo.timeSigNumerator = kBeatsPerBar;
    timeInfo.timeSigDenominator = kBeatUnit;
    timeInfo.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                     kVstTimeSigValid | (transportChanged ? kVstTransportChanged : 0);
}

InstantiationScope::InstantiationScope(HostContext& context)
{
    instantiatingContext = &context;
}

InstantiationScope::~InstantiationScope()
{
    instantiatingContext = nullptr;
}

void attachHostContext(AEffect& effect, HostContext& context)
{
    effect.resvd1 = reinterpret_cast<VstIntPtr>(&context);
}

extern "C" VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr,
                                  float)
{
    HostContext* context = contextOf(effect);
    switch (opcode)
    {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetSampleRate:
        return context ? static_cast<VstIntPtr>(context->sampleRateHz) : 0;
    case audioMasterGetBlockSize:
        return context ? context->maxBlockFrames : 0;
    case audioMasterGetTime:
        return context ? reinterpret_cast<VstIntPtr>(&context->timeInfo) : 0;
    case audioMasterIOChanged: // the renderer reads initialDelay again after every block
        return 1;
    case audioMasterCanDo:
        return canDo(ptr);
    case audioMasterGetVendorString:
        return answerText(ptr, kHostVendor, kVstMaxVendorStrLen);
    case audioMasterGetProductString:
        return answerText(ptr, kHostProduct, kVstMaxProductStrLen);
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    default: // Automate and Idle need nothing from an offline render; the rest is unsupported
        return 0;
    }
}
