// One instance of the built plug-in as a host holds it: created through an entry symbol with the
// recording host callback, driven through its AEffect record only, and closed with effClose when
// the object goes (unless closed before).
#pragma once

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/PluginLibrary.h"
#include "tests/support/RecordingHost.h"

class HostedEffect
{
  public:
    explicit HostedEffect(const char* symbol = "VSTPluginMain")
        : effect(library.entry(symbol)(recordingHostCallback))
    {
        if (effect == nullptr)
            throw std::runtime_error("the entry point gave no effect");
    }
    ~HostedEffect()
    {
        if (effect != nullptr)
            close();
    }
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* get() const { return effect; }
    AEffect* operator->() const { return effect; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    // The counts the effect announces in its record.
    VstInt32 parameterCount() const { return effect->numParams; }
    VstInt32 programCount() const { return effect->numPrograms; }

    // effOpen, the rate, the block size and resume: what hosts send before processing.
    void start(float sampleRateHz = 48000.0f, VstIntPtr blockFrames = 512) const
    {
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, sampleRateHz);
        dispatch(effSetBlockSize, 0, blockFrames);
        dispatch(effMainsChanged, 0, 1);
    }
    // effClose now; the destructor then does nothing.
    void close()
    {
        dispatch(effClose);
        effect = nullptr;
    }

    // The text a request writes into a large buffer pre-filled with '#', up to the terminator
    // (or the whole buffer when there is none); "untouched" when nothing was written.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) const
    {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        dispatch(opcode, index, value, buffer);
        return buffer[0] == '#' ? "untouched" : std::string(buffer, strnlen(buffer, sizeof buffer));
    }
    std::string display(VstInt32 index) const { return text(effGetParamDisplay, index); }

    void setParameter(VstInt32 index, float value) const
    {
        effect->setParameter(effect, index, value);
    }
    float getParameter(VstInt32 index) const { return effect->getParameter(effect, index); }

    // Through processReplacing or processDoubleReplacing, by the sample type.
    template <typename Sample>
    void process(Sample** inputs, Sample** outputs, VstInt32 frames) const
    {
        if constexpr (sizeof(Sample) == sizeof(float))
            effect->processReplacing(effect, inputs, outputs, frames);
        else
            effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }
    // Runs frames of a constant stereo input through processReplacing; returns the left output.
    std::vector<float> process(float input, int frames) const
    {
        std::vector<float> left(frames, input);
        std::vector<float> right(frames, input);
        float* channels[] = {left.data(), right.data()};
        process(channels, channels, frames);
        return left;
    }

  private:
    PluginLibrary library;
    AEffect* effect;
};
