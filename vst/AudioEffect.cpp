#include "vst/AudioEffect.h"

#include <cmath>

#include "vst/AEffEditor.h"

namespace
{
AudioEffect* effectOf(AEffect* effect)
{
    return effect != nullptr ? static_cast<AudioEffect*>(effect->object) : nullptr;
}
} // namespace

// The record's entries: plain C functions that find the object and call its virtual operation.
extern "C"
{
    static VstIntPtr dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt)
    {
        AudioEffect* object = effectOf(effect);
        return object != nullptr ? object->dispatcher(opcode, index, value, ptr, opt) : 0;
    }

    // The deprecated accumulating entry is not supported. It has a function of its own because
    // some hosts only use processReplacing when the two pointers differ; it leaves the outputs
    // as they are.
    static void processAccumulatingEntry(AEffect*, float**, float**, VstInt32) {}

    static void processReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                      VstInt32 sampleFrames)
    {
        if (AudioEffect* object = effectOf(effect))
            object->processReplacing(inputs, outputs, sampleFrames);
    }

    static void processDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                            VstInt32 sampleFrames)
    {
        if (AudioEffect* object = effectOf(effect))
            object->processDoubleReplacing(inputs, outputs, sampleFrames);
    }

    static void setParameterEntry(AEffect* effect, VstInt32 index, float value)
    {
        if (AudioEffect* object = effectOf(effect))
            object->setParameter(index, value);
    }

    static float getParameterEntry(AEffect* effect, VstInt32 index)
    {
        AudioEffect* object = effectOf(effect);
        return object != nullptr ? object->getParameter(index) : 0.0f;
    }
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams), cEffect{}
{
    // Default uniqueID until the effect sets its own, as SDK-built effects do.
    constexpr VstInt32 noEffectId = fourCharCode('N', 'o', 'E', 'f');
    constexpr VstInt32 defaultEffectVersion = 1;
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processAccumulatingEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = noEffectId;
    cEffect.version = defaultEffectVersion;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt)
{
    char* const text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        delete this;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text != nullptr)
            setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text != nullptr)
            getProgramName(text);
        return 0;
    case effGetParamLabel:
        if (text != nullptr)
            getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text != nullptr)
            getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text != nullptr)
            getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        // A rate of zero, below zero or not a number would poison every coefficient.
        if (std::isfinite(opt) && opt > 0.0f)
            setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor != nullptr && ptr != nullptr)
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        // Without the host's parent window there is nothing to open in: no success claimed.
        return editor != nullptr && ptr != nullptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor != nullptr)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor != nullptr)
            editor->idle();
        return 0;
    case effIdentify:
        return kEffectIdentify;
    case effGetChunk:
        return ptr != nullptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        return ptr != nullptr ? setChunk(ptr, static_cast<VstInt32>(value), index != 0) : 0;
    default:
        return 0;
    }
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

VstInt32 AudioEffect::getMasterVersion()
{
    return static_cast<VstInt32>(callHost(audioMasterVersion, 0, 0, nullptr, 0.0f));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle, 0, 0, nullptr, 0.0f);
}

bool AudioEffect::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f) != 0;
}

bool AudioEffect::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index, 0, nullptr, 0.0f) != 0;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt)
{
    return audioMaster != nullptr ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}
