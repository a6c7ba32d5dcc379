#pragma once

// What a toolkit editor needs from the plug-in it belongs to, whatever the plug-in format:
// the user's edits bracketed towards the host, and the host's own idle work while a control
// tracks the mouse in a loop of its own. All calls come from the GUI thread.
class EditorHost
{
  public:
    virtual ~EditorHost() = default;

    // The user starts or ends changing parameter index.
    virtual void beginEdit(int index) = 0;
    virtual void endEdit(int index) = 0;
    // Lets the host do its idle work during a drag (a VST host's audioMasterIdle).
    virtual void idleHostDuringDrag() = 0;
};
