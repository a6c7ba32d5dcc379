#include "plugin/LimiterEffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "VarnholtVersion.h"
#include "parameters/EngineParameters.h"
#include "plugin/ParameterDisplay.h"
#include "plugin/VstIdentity.h"
#include "vst/TextCopy.h"

namespace
{
using vst_identity::kEffectName;
using vst_identity::kProductName;
using vst_identity::kUniqueId;
using vst_identity::kVendorName;
constexpr VstInt32 kStereoChannels = 2;

struct CanDoAnswer
{
    const char* text;
    VstInt32 answer;
};
constexpr VstInt32 kCanDoYes = 1;
constexpr VstInt32 kCanDoNo = -1;
// Compared in this order, case-sensitive; anything else is a no.
constexpr CanDoAnswer kCanDoTable[] = {
    {"plugAsChannelInsert", kCanDoYes},
    {"plugAsSend", kCanDoYes},
    {"mixDryWet", kCanDoYes},
    {"1in1out", kCanDoYes},
    {"1in2out", kCanDoYes},
    {"2in1out", kCanDoYes},
    {"2in2out", kCanDoYes},
    {"sendVstEvents", kCanDoNo},
    {"sendVstMidiEvent", kCanDoNo},
    {"receiveVstEvents", kCanDoNo},
    {"receiveVstMidiEvent", kCanDoNo},
    {"receiveVstTimeInfo", kCanDoNo},
    {"offline", kCanDoNo},
    {"midiProgramNames", kCanDoNo},
    {"bypass", kCanDoYes},
};
} // namespace

LimiterEffect::LimiterEffect(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams)
{
    for (int i = 0; i < kNumPrograms; ++i)
        programs[i].loadPreset(i);
    AudioEffectX::setProgram(0);
    applyProgram();

    setNumInputs(kStereoChannels);
    setNumOutputs(kStereoChannels);
    setUniqueID(kUniqueId);
    setInitialDelay(kLatencyFrames);
    canProcessReplacing(true);
    canDoubleReplacing(true);
    noTail(true);
    setSampleRate(getSampleRate());
}

LimiterEffect::~LimiterEffect() = default;

void LimiterEffect::suspend()
{
    clearState();
}

void LimiterEffect::resume()
{
    clearState();
    AudioEffectX::resume();
}

void LimiterEffect::setSampleRate(float rate)
{
    AudioEffectX::setSampleRate(rate);
    setEngineSampleRate(rate);
}

// The engine's block path keeps the frame state in registers across the block.
void LimiterEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (sampleFrames <= 0)
        return;
    processBlock(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

void LimiterEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    if (sampleFrames <= 0)
        return;
    processBlock(inputs[0], inputs[1], outputs[0], outputs[1], sampleFrames);
}

bool LimiterEffect::acceptsParameter(VstInt32 index, float value)
{
    // A NaN or infinite value would reach the engine's recursive state and never leave it.
    return isParamIndex(index) && std::isfinite(value);
}

void LimiterEffect::setParameter(VstInt32 index, float value)
{
    if (!acceptsParameter(index, value))
        return;
    // Held within the range, so that what hosts read back and save is a value we could send.
    value = std::clamp(value, 0.0f, storedValueLimit(index));
    currentProgram().values[index].store(value, std::memory_order_relaxed);
    applyParameter(*this, index, value);
}

float LimiterEffect::getParameter(VstInt32 index)
{
    return isParamIndex(index) ? currentProgram().values[index].load(std::memory_order_relaxed)
                               : 0.0f;
}

void LimiterEffect::setProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    AudioEffectX::setProgram(program);
    applyProgram();
}

void LimiterEffect::applyProgram()
{
    LimiterProgram& program = currentProgram();
    for (VstInt32 i = 0; i < kNumParams; ++i)
        setParameter(i, program.values[i].load(std::memory_order_relaxed));
}

void LimiterEffect::setProgramName(char* name)
{
    // Longer names are cut to 23 characters: the field holds 24 bytes with the terminator.
    copyText(currentProgram().name, name, kProgramNameSize);
}

void LimiterEffect::getProgramName(char* name)
{
    copyText(name, currentProgram().name, kVstMaxProgNameLen);
}

bool LimiterEffect::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    copyText(text, programs[index].name, kVstMaxProgNameLen);
    return true;
}

void LimiterEffect::getParameterLabel(VstInt32 index, char* label)
{
    if (isParamIndex(index))
        copyText(label, currentProgram().paramLabels[index], kParamLabelSize);
}

void LimiterEffect::getParameterDisplay(VstInt32 index, char* text)
{
    if (isParamIndex(index))
        formatParameterDisplay(index, getParameter(index), text);
}

// Names keep all 15 characters (16 bytes), beyond the interface's nominal 8: every host we know
// gives 64 bytes or more, and 7 characters would make "XCorr time" and "XCorr threshold", or
// the two "Output" and "Softclip" names, identical.
void LimiterEffect::getParameterName(VstInt32 index, char* text)
{
    if (isParamIndex(index))
        copyText(text, currentProgram().paramNames[index], kParamNameSize);
}

bool LimiterEffect::setBypass(bool onOff)
{
    setParameter(kBypass, onOff ? 1.0f : 0.0f);
    return true;
}

bool LimiterEffect::getEffectName(char* name)
{
    copyText(name, kEffectName, kVstMaxEffectNameLen);
    return true;
}

bool LimiterEffect::getVendorString(char* text)
{
    copyText(text, kVendorName, kVstMaxVendorStrLen);
    return true;
}

bool LimiterEffect::getProductString(char* text)
{
    copyText(text, kProductName, kVstMaxProductStrLen);
    return true;
}

VstInt32 LimiterEffect::getVendorVersion()
{
    return kVendorVersion;
}

VstInt32 LimiterEffect::canDo(char* text)
{
    for (const CanDoAnswer& entry : kCanDoTable)
    {
        if (std::strcmp(text, entry.text) == 0)
            return entry.answer;
    }
    return kCanDoNo;
}

VstInt32 LimiterEffect::getPlugCategory()
{
    return kPlugCategEffect;
}
