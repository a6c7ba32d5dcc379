// The VST 2.x layer of the effect base: the requests added after version 1 (names, vendor,
// can-do queries, bypass, editor keys) and the 2.4 flags.
#pragma once

#include "vst/AudioEffect.h"

class AudioEffectX : public AudioEffect
{
  public:
    // Called from the entry point on the host's thread that loads the plug-in.
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    // The host's request entry, on the host's GUI thread; falls back to AudioEffect's.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;

    // Host requests, on the host's GUI thread unless noted. Texts go into the host's buffer.
    virtual bool canParameterBeAutomated(VstInt32 index) { return index >= 0 && index < numParams; }
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/)
    {
        return false;
    }
    virtual VstInt32 getPlugCategory() { return kPlugCategUnknown; }
    // Soft bypass; may come on the audio thread.
    virtual bool setBypass(bool /*onOff*/) { return false; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    // 1 = yes, -1 = no, 0 = don't know.
    virtual VstInt32 canDo(char* /*text*/) { return 0; }
    // Frames of sound after the input stops; 0 = unknown or none.
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }

    // Asks the host to resize the editor's window (audioMasterSizeWindow); false when the host
    // refuses or does not know the request. GUI thread.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);

    // Set-up of the record, called while the effect is being constructed.
    virtual void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
    virtual void noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
};
