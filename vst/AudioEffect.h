// Base of an effect: owns the AEffect record the host sees, turns the host's calls into virtual
// operations and wraps the host callback. The version 1 requests live here, the 2.x ones in
// AudioEffectX.
#pragma once

#include <atomic>

#include "vst/VstAbi.h"

class AEffEditor;

class AudioEffect
{
  public:
    // Called from the entry point on the host's thread that loads the plug-in.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    // Deletes the editor object. Runs on the host's GUI thread (effClose).
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // The host's request entry, on the host's GUI thread: each opcode becomes a virtual operation.
    // effClose deletes this object.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    // Host requests, all on the host's GUI thread unless noted.
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 frames) { blockSize = frames; }

    // Audio thread. Inputs and outputs may be the same buffers.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Audio thread; only called by hosts when canDoubleReplacing(true) was set.
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        VstInt32 /*sampleFrames*/)
    {
    }

    // Any thread: the host's GUI thread, its audio thread (automation) and the editor.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // Any thread: setParameter through the virtual table, then audioMasterAutomate to the host.
    virtual void setParameterAutomated(VstInt32 index, float value);

    // Programs, on the host's GUI thread. getProgram may be called from any thread.
    virtual VstInt32 getProgram() { return curProgram.load(std::memory_order_relaxed); }
    virtual void setProgram(VstInt32 program)
    {
        curProgram.store(program, std::memory_order_relaxed);
    }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* /*name*/) {}

    // Parameter texts, on the host's GUI thread. The default leaves the text untouched.
    virtual void getParameterLabel(VstInt32 /*index*/, char* /*label*/) {}
    virtual void getParameterDisplay(VstInt32 /*index*/, char* /*text*/) {}
    virtual void getParameterName(VstInt32 /*index*/, char* /*text*/) {}

    // State as an opaque chunk; none by default, so hosts store parameter values instead.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/)
    {
        return 0;
    }

    // Set-up of the record, called while the effect is being constructed.
    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void setInitialDelay(VstInt32 delayFrames) { cEffect.initialDelay = delayFrames; }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }

    // The editor slot: the effect owns the editor from here on; sets or clears effFlagsHasEditor.
    virtual void setEditor(AEffEditor* newEditor);
    virtual AEffEditor* getEditor() { return editor; }

    AEffect* getAeffect() { return &cEffect; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }

    // Calls to the host; each answers 0 when the host gave no callback.
    // The host's VST version (2400, 2300, 2 ... ); 0 when it gives none.
    virtual VstInt32 getMasterVersion();
    // Lets the host run its idle work while the effect waits, e.g. in a modal loop. GUI thread.
    virtual void masterIdle();
    // Bracket a user's edit of one parameter (audioMasterBeginEdit/EndEdit). GUI thread.
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

  protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    void setFlag(VstInt32 flag, bool state);

    static constexpr float kDefaultSampleRateHz = 44100.0f;
    static constexpr VstInt32 kDefaultBlockSizeFrames = 1024;

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = kDefaultSampleRateHz;
    VstInt32 blockSize = kDefaultBlockSizeFrames;
    VstInt32 numPrograms;
    VstInt32 numParams;
    // Written by program changes on the GUI thread, read by parameter changes on any thread.
    std::atomic<VstInt32> curProgram{0};
    AEffect cEffect;
};
