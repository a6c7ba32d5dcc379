#include "vst/AEffEditor.h"

#include "vst/AudioEffect.h"

AEffEditor::AEffEditor(AudioEffect* effect) : effect(effect)
{
    if (effect != nullptr)
        effect->setEditor(this);
}
