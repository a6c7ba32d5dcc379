#pragma once

// How a knob follows a drag; the values are the host's effSetEditKnobMode values.
enum CKnobMode : long
{
    kCircularMode = 0,        // the value follows the pointer's angle around the centre
    kRelativCircularMode = 1, // turning around the centre changes the value from where it was
    kLinearMode = 2,          // vertical or horizontal dragging
};

// One mode for every knob of the process, as hosts set it once for all editors.
// Any thread may call these; the mode is a single atomic word.
long getProcessKnobMode();
void setProcessKnobMode(long mode);
