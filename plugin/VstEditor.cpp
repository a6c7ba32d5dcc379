#include "plugin/VstEditor.h"

#include "editor/EngineMeters.h"
#include "editor/LimiterEditor.h"
#include "plugin/LimiterEffect.h"

namespace
{
constexpr bool sameCode(int toolkitCode, int vstCode)
{
    return toolkitCode == vstCode;
}

// Host keys arrive in the numbering the toolkit keeps, so they pass value for value.
static_assert(sameCode(kKeyBack, VKEY_BACK) && sameCode(kKeyEquals, VKEY_EQUALS),
              "same virtual keys");
static_assert(sameCode(kModifierShift, MODIFIER_SHIFT) &&
                  sameCode(kModifierAlternate, MODIFIER_ALTERNATE) &&
                  sameCode(kModifierCommand, MODIFIER_COMMAND) &&
                  sameCode(kModifierControl, MODIFIER_CONTROL),
              "same modifier bits");

CKeyCode toolkitKey(const VstKeyCode& key)
{
    CKeyCode converted;
    converted.character = key.character;
    converted.virt = key.virt;
    converted.modifier = key.modifier;
    return converted;
}
} // namespace

VstEditor::VstEditor(LimiterEffect* effect)
    : AEffEditor(effect), limiterEffect(effect), editor(std::make_unique<LimiterEditor>(*this))
{
}

VstEditor::~VstEditor() = default;

bool VstEditor::getRect(ERect** outRect)
{
    const CRect& size = editor->getRect();
    rect.top = static_cast<VstInt16>(size.top);
    rect.left = static_cast<VstInt16>(size.left);
    rect.bottom = static_cast<VstInt16>(size.bottom);
    rect.right = static_cast<VstInt16>(size.right);
    *outRect = &rect;
    return true;
}

bool VstEditor::open(void* parent)
{
    AEffEditor::open(parent);
    return editor->open(parent);
}

void VstEditor::close()
{
    editor->close();
    AEffEditor::close();
}

void VstEditor::idle()
{
    editor->idle();
}

bool VstEditor::onKeyDown(VstKeyCode& key)
{
    CKeyCode converted = toolkitKey(key);
    return editor->onKeyDown(converted);
}

bool VstEditor::onKeyUp(VstKeyCode& key)
{
    CKeyCode converted = toolkitKey(key);
    return editor->onKeyUp(converted);
}

bool VstEditor::setKnobMode(VstInt32 mode)
{
    return editor->setKnobMode(mode);
}

void VstEditor::setParameter(VstInt32 index, float value)
{
    editor->setParameter(index, value);
}

float VstEditor::getParameter(int index) const
{
    return limiterEffect->getParameter(index);
}

bool VstEditor::isParameter(int index) const
{
    return index >= 0 && index < limiterEffect->getAeffect()->numParams;
}

void VstEditor::beginEdit(int index)
{
    if (isParameter(index))
        limiterEffect->beginEdit(index);
}

void VstEditor::setParameterAutomated(int index, float value)
{
    limiterEffect->setParameterAutomated(index, value);
}

void VstEditor::endEdit(int index)
{
    if (isParameter(index))
        limiterEffect->endEdit(index);
}

void VstEditor::idleHostDuringDrag()
{
    limiterEffect->masterIdle();
}

void VstEditor::readMeters(MeterReadings& readings)
{
    readEngineMeters(*limiterEffect, readings);
}

void VstEditor::resetPeakHold()
{
    limiterEffect->resetPeakHold();
}

void VstEditor::resetLoudness()
{
    limiterEffect->resetLoudness();
}

bool VstEditor::requestEditorSize(int widthPx, int heightPx)
{
    return limiterEffect->sizeWindow(widthPx, heightPx);
}
