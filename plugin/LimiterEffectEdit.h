// The effect the entry point creates: LimiterEffect plus the hand-over of every parameter change
// to the editor object in the editor slot.
#pragma once

#include "plugin/LimiterEffect.h"

class LimiterEffectEdit : public LimiterEffect
{
  public:
    // Called from the entry point on the host's loading thread.
    explicit LimiterEffectEdit(audioMasterCallback audioMaster);
    // Host GUI thread (effClose); the editor goes with AudioEffect's destructor.
    ~LimiterEffectEdit() override = default;

    // Any thread, as LimiterEffect's; then the editor's setParameter with the same value, on
    // the same thread.
    void setParameter(VstInt32 index, float value) override;
};
