#include "toolkit/AEffGUIEditor.h"

#include "toolkit/CFrame.h"
#include "toolkit/KnobMode.h"
#include "vst/AudioEffect.h"

#include <chrono>
#include <thread>

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner) {}

AEffGUIEditor::~AEffGUIEditor()
{
    delete frame;
}

bool AEffGUIEditor::getRect(ERect** outRect)
{
    *outRect = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr)
{
    systemWindow = ptr;
    return true;
}

void AEffGUIEditor::close()
{
    delete frame;
    frame = nullptr;
    systemWindow = nullptr;
}

void AEffGUIEditor::idle()
{
    if (inIdleStuff)
        return;
    if (frame)
        frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key)
{
    return frame && frame->onKeyDown(key);
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key)
{
    return frame && frame->onKeyUp(key);
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode)
{
    if (mode < kCircularMode || mode > kLinearMode)
        return false;
    setProcessKnobMode(mode);
    return true;
}

long AEffGUIEditor::getKnobMode() const
{
    return getProcessKnobMode();
}

bool AEffGUIEditor::isParameter(long index) const
{
    return effect && index >= 0 && index < effect->getAeffect()->numParams;
}

void AEffGUIEditor::beginEdit(long index)
{
    if (isParameter(index))
        effect->beginEdit(static_cast<VstInt32>(index));
}

void AEffGUIEditor::endEdit(long index)
{
    if (isParameter(index))
        effect->endEdit(static_cast<VstInt32>(index));
}

void AEffGUIEditor::doIdleStuff()
{
    std::int64_t now = getTicks();
    if (now < nextIdleDueMs)
    {
        wait(kIdlePollSleepMs);
        now += kIdlePollSleepMs;
        if (now < nextIdleDueMs - kIdleEarlyMs)
            return;
    }
    idle();
    nextIdleDueMs = now + kIdleRateMs;
    // The host may call effEditIdle from here; that nested frame update must do nothing.
    inIdleStuff = true;
    if (effect)
        effect->masterIdle();
    inIdleStuff = false;
}

std::int64_t AEffGUIEditor::getTicks() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void AEffGUIEditor::wait(long milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
