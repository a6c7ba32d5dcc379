// The comparison's floor: a VST 2.4 effect that copies its input to its output, so the host's
// own cost per process call can be told apart from a plug-in's.

#include "vst/VstAbi.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr VstInt32 kStereoChannels = 2;
constexpr VstInt32 kPassThroughId = fourCharCode('V', 'h', 'P', 't');
constexpr char kName[] = "Pass-through";

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == effClose)
    {
        delete effect;
    }
    else if (opcode == effGetEffectName && ptr != nullptr)
    {
        std::memcpy(ptr, kName, sizeof kName);
        return 1;
    }
    return 0;
}

void copyThrough(AEffect*, float** inputs, float** outputs, VstInt32 frames)
{
    for (VstInt32 channel = 0; channel < kStereoChannels; ++channel)
        std::copy_n(inputs[channel], frames, outputs[channel]);
}

void setParameter(AEffect*, VstInt32, float) {}

float getParameter(AEffect*, VstInt32)
{
    return 0.0f;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback)
{
    auto* effect = new AEffect{};
    effect->magic = kEffectMagic;
    effect->dispatcher = dispatch;
    effect->process = copyThrough;
    effect->setParameter = setParameter;
    effect->getParameter = getParameter;
    effect->numInputs = kStereoChannels;
    effect->numOutputs = kStereoChannels;
    effect->flags = effFlagsCanReplacing;
    effect->ioRatio = 1.0f;
    effect->uniqueID = kPassThroughId;
    effect->processReplacing = copyThrough;
    return effect;
}
