#include "host/plugins/VstPluginInstance.h"

#include "host/HostError.h"
#include "parameters/Parameters.h"
#include "plugin/VstIdentity.h"

#include <algorithm>

namespace
{
// Hosts hand far more than the nominal 8 bytes for texts, since many plug-ins write more.
constexpr std::size_t kTextBufferBytes = 256;
constexpr int kStereoChannels = 2;
} // namespace

VstPluginInstance::VstPluginInstance(VstPluginMainProc entry, double sampleRateHz,
                                     int maxBlockFrames)
{
    context.sampleRateHz = sampleRateHz;
    context.maxBlockFrames = maxBlockFrames;
    context.setPosition(0.0, true);
    {
        InstantiationScope scope(context);
        effect = entry(hostCallback);
    }
    if (effect == nullptr)
        throw HostError("the plug-in could not create an effect (its entry point returned null)");
    if (effect->magic != kEffectMagic)
        throw HostError("not a VST 2.4 plug-in (the effect record has a wrong magic number)");
    attachHostContext(*effect, context);
    replacing = (effect->flags & effFlagsCanReplacing) != 0 && effect->processReplacing != nullptr;
    if (effect->numInputs < kStereoChannels || effect->numOutputs < kStereoChannels)
    {
        closeAndRefuse("the plug-in is not a stereo effect (it has " +
                       std::to_string(effect->numInputs) + " inputs and " +
                       std::to_string(effect->numOutputs) + " outputs)");
    }
    if (!replacing && effect->process == nullptr)
        closeAndRefuse("the plug-in offers no audio processing entry");

    const int spareCount = effect->numInputs + effect->numOutputs - 2 * kStereoChannels;
    spareChannels.assign(spareCount, std::vector<float>(maxBlockFrames, 0.0f));
    inputChannels.assign(effect->numInputs, nullptr);
    outputChannels.assign(effect->numOutputs, nullptr);
    auto spare = spareChannels.begin();
    for (int channel = kStereoChannels; channel < effect->numInputs; ++channel)
        inputChannels[channel] = (spare++)->data();
    for (int channel = kStereoChannels; channel < effect->numOutputs; ++channel)
        outputChannels[channel] = (spare++)->data();

    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRateHz));
    dispatch(effSetBlockSize, 0, maxBlockFrames);
    varnholt = effect->uniqueID == vst_identity::kUniqueId && effect->numParams == kNumParams &&
               text(effGetProductString, 0) == vst_identity::kProductName;
}

void VstPluginInstance::closeAndRefuse(const std::string& reason)
{
    dispatch(effClose);
    throw HostError(reason);
}

VstPluginInstance::~VstPluginInstance()
{
    stop();
    dispatch(effClose);
}

VstIntPtr VstPluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                      float opt) const
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string VstPluginInstance::text(VstInt32 opcode, VstInt32 index) const
{
    char buffer[kTextBufferBytes] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBufferBytes - 1] = '\0';
    return buffer;
}

std::string VstPluginInstance::name() const
{
    const std::string effectName = text(effGetEffectName, 0);
    return effectName.empty() ? text(effGetProductString, 0) : effectName;
}

std::string VstPluginInstance::programName(int program) const
{
    char buffer[kTextBufferBytes] = {};
    if (dispatch(effGetProgramNameIndexed, program, -1, buffer) == 0)
        return {};
    buffer[kTextBufferBytes - 1] = '\0';
    return buffer;
}

void VstPluginInstance::setProgram(int program)
{
    dispatch(effSetProgram, 0, program);
}

std::string VstPluginInstance::paramName(int param) const
{
    return text(effGetParamName, param);
}

std::string VstPluginInstance::paramLabel(int param) const
{
    return text(effGetParamLabel, param);
}

std::string VstPluginInstance::paramDisplay(int param) const
{
    return text(effGetParamDisplay, param);
}

void VstPluginInstance::setParam(int param, float normalised)
{
    effect->setParameter(effect, param, normalised);
}

float VstPluginInstance::paramValue(int param) const
{
    return effect->getParameter(effect, param);
}

void VstPluginInstance::start()
{
    if (running)
        return;
    if ((effect->flags & effFlagsCanDoubleReplacing) != 0)
        dispatch(effSetProcessPrecision, 0, kVstProcessPrecision32);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void VstPluginInstance::process(const float* const input[2], float* const output[2], int frames,
                                double samplePos)
{
    context.setPosition(samplePos, samplePos == 0.0);
    for (int channel = 0; channel < kStereoChannels; ++channel)
    {
        inputChannels[channel] = const_cast<float*>(input[channel]);
        outputChannels[channel] = output[channel];
    }
    for (int channel = kStereoChannels; channel < effect->numInputs; ++channel)
        std::fill_n(inputChannels[channel], frames, 0.0f);
    if (replacing)
    {
        effect->processReplacing(effect, inputChannels.data(), outputChannels.data(), frames);
        return;
    }
    // The old accumulating entry adds into its outputs.
    for (float* channel : outputChannels)
        std::fill_n(channel, frames, 0.0f);
    effect->process(effect, inputChannels.data(), outputChannels.data(), frames);
}

void VstPluginInstance::stop()
{
    if (!running)
        return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

int VstPluginInstance::varnholtParamId(int param) const
{
    return varnholt && isParamIndex(param) ? param : -1;
}
