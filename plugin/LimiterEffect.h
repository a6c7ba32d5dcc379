// The effect as the host sees it: the signal engine as its first base, our VST 2.4 base as the
// second, and the 18 programs whose current one holds the parameter values.
#pragma once

#include "engine/LimiterEngine.h"
#include "plugin/LimiterProgram.h"
#include "parameters/Parameters.h"
#include "vst/AudioEffectX.h"

class LimiterEffect : public LimiterEngine, public AudioEffectX
{
  public:
    // Called from the entry point on the host's loading thread; configures the engine from
    // program 0.
    explicit LimiterEffect(audioMasterCallback audioMaster);
    // Host GUI thread (effClose).
    ~LimiterEffect() override;

    // Host GUI thread: effMainsChanged. Both reset the detectors and meters and clear the
    // look-ahead, so nothing from before a stop plays after it.
    void suspend() override;
    void resume() override;
    // Host GUI thread, while suspended.
    void setSampleRate(float rate) override;

    // Audio thread. Inputs and outputs may be the same buffers.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;

    // Any thread: host GUI (its parameter view), audio (automation), editor, program changes.
    // Stores the value in the current program and hands it to the engine.
    void setParameter(VstInt32 index, float value) override;
    // Any thread.
    float getParameter(VstInt32 index) override;

    // Host GUI thread: programs.
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // Host GUI thread: parameter texts. An unknown index leaves the text untouched.
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;

    // Soft bypass, host GUI or audio thread.
    bool setBypass(bool onOff) override;

    // Host GUI thread: identity.
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override;

  protected:
    // A change is taken for an index 0..16 and any finite value; anything else changes nothing.
    static bool acceptsParameter(VstInt32 index, float value);
    // Sends every stored value of the current program through setParameter (the virtual one,
    // so the editor follows too). Host GUI thread.
    void applyProgram();

    LimiterProgram programs[kNumPrograms];

  private:
    LimiterProgram& currentProgram() { return programs[getProgram()]; }
};
