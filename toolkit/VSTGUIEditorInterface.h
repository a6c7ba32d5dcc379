#pragma once

// What the toolkit asks of the editor that owns a frame. All calls come from the GUI thread.
class VSTGUIEditorInterface
{
  public:
    virtual ~VSTGUIEditorInterface() = default;

    // Bracket every change the user makes to the control with this tag.
    virtual void beginEdit(long index) = 0;
    virtual void endEdit(long index) = 0;
    // Called by a control that tracks the mouse in a loop of its own, so the editor keeps idling.
    virtual void doIdleStuff() = 0;
    // 0 circular, 1 relative circular, 2 linear (the host's effSetEditKnobMode values).
    virtual long getKnobMode() const = 0;
};
