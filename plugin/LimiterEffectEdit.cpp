#include "plugin/LimiterEffectEdit.h"

#include "vst/AEffEditor.h"

LimiterEffectEdit::LimiterEffectEdit(audioMasterCallback audioMaster) : LimiterEffect(audioMaster)
{
}

void LimiterEffectEdit::setParameter(VstInt32 index, float value)
{
    LimiterEffect::setParameter(index, value);
    if (editor != nullptr && acceptsParameter(index, value))
    {
        editor->setParameter(index, value);
    }
}
