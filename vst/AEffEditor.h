// Base of a plug-in editor: the effect hands the effEdit* opcodes to the object in its editor slot.
#pragma once

#include "vst/VstAbi.h"

class AudioEffect;

class AEffEditor
{
  public:
    // Attaches itself to the effect (editor slot and effFlagsHasEditor). Called on the GUI thread.
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    // Valid before open() too: hosts ask for the size first.
    virtual bool getRect(ERect** outRect)
    {
        *outRect = nullptr;
        return false;
    }
    // ptr is the host's parent window (an X11 Window id cast to a pointer).
    virtual bool open(void* ptr)
    {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool setKnobMode(VstInt32) { return false; }
    // Told of every parameter change with the normalised value, so controls can follow host
    // automation and program changes. May be called on the audio thread as well as the GUI thread.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}

  protected:
    AudioEffect* effect = nullptr;
    void* systemWindow = nullptr;
};
