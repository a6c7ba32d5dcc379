// The effect the entry point creates: LimiterEffect plus the hand-over of every parameter change
// to the editor object in the editor slot.
#pragma once

#include "plugin/LimiterEffect.h"

#include <atomic>

// Set, never cleared, when an effect could not create its editor: from then on the entry point
// creates no effect in this process.
extern std::atomic<bool> editorAllocationFailed;

class LimiterEffectEdit : public LimiterEffect
{
  public:
    // Called from the entry point on the host's loading thread. Creates the editor, which
    // attaches itself to the editor slot (effFlagsHasEditor), or sets editorAllocationFailed.
    explicit LimiterEffectEdit(audioMasterCallback audioMaster);
    // Host GUI thread (effClose); the editor goes with AudioEffect's destructor.
    ~LimiterEffectEdit() override = default;

    // Any thread, as LimiterEffect's; then the editor's setParameter with the same value, on
    // the same thread.
    void setParameter(VstInt32 index, float value) override;
};
