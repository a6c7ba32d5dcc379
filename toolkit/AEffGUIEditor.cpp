#include "toolkit/AEffGUIEditor.h"

#include "toolkit/CFrame.h"
#include "toolkit/EditorHost.h"
#include "toolkit/KnobMode.h"

#include <chrono>
#include <thread>

AEffGUIEditor::AEffGUIEditor(EditorHost* editorHost) : host(editorHost) {}

AEffGUIEditor::~AEffGUIEditor()
{
    delete frame;
}

bool AEffGUIEditor::open(void* parent)
{
    systemWindow = parent;
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

bool AEffGUIEditor::onKeyDown(CKeyCode& key)
{
    return frame && frame->onKeyDown(key);
}

bool AEffGUIEditor::onKeyUp(CKeyCode& key)
{
    return frame && frame->onKeyUp(key);
}

bool AEffGUIEditor::setKnobMode(long mode)
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

void AEffGUIEditor::beginEdit(long index)
{
    if (host)
        host->beginEdit(static_cast<int>(index));
}

void AEffGUIEditor::endEdit(long index)
{
    if (host)
        host->endEdit(static_cast<int>(index));
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
    // The host may call the editor's idle from here; that nested frame update must do nothing.
    inIdleStuff = true;
    if (host)
        host->idleHostDuringDrag();
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
