#pragma once

#include "toolkit/VSTGUIEditorInterface.h"
#include "vst/AEffEditor.h"

#include <cstdint>
#include <limits>

class CFrame;

// Base of an editor built on the toolkit: holds the frame while the window is open, hands the
// host's idle and keys to it, brackets user edits towards the host and keeps the editor idling
// while a control tracks the mouse in a loop of its own. Every operation runs on the host's GUI
// thread (the one that opens, idles and closes the editor) unless noted.
class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface
{
  public:
    static constexpr long kIdleRateMs = 100;    // drag idle: at most one editor idle per 100 ms
    static constexpr long kIdleEarlyMs = 50;    // ... or up to 50 ms early
    static constexpr long kIdlePollSleepMs = 4; // sleep of each poll before it is due

    explicit AEffGUIEditor(AudioEffect* effect);
    // Deletes the frame when the host never closed the window.
    ~AEffGUIEditor() override;

    bool getRect(ERect** outRect) override;
    // Stores the parent window; the derived editor then builds its frame.
    bool open(void* ptr) override;
    // Deletes the frame and with it every view.
    void close() override;
    // The frame update: handles window events and redraws dirty views; does nothing while the
    // host's idle call made from doIdleStuff is running.
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    // Sets the process-wide knob mode (0 circular, 1 relative circular, 2 linear).
    bool setKnobMode(VstInt32 mode) override;

    // Only indices of the effect's parameters reach the host; other tags (the editor's own
    // buttons) stay inside.
    void beginEdit(long index) override;
    void endEdit(long index) override;
    // The drag-idle rule: called on every pass of a tracking loop, runs idle() at most every
    // kIdleRateMs, sleeping kIdlePollSleepMs while not due, then lets the host idle.
    void doIdleStuff() override;
    long getKnobMode() const override;

    // The host changed a parameter; the derived editor moves its control. Any thread.
    virtual void setParameter(VstInt32 index, float value)
    {
        (void)index;
        (void)value;
    }

    CFrame* getFrame() const { return frame; }

  protected:
    // Milliseconds of a monotonic clock, and a sleep; replaceable so tests can drive time.
    virtual std::int64_t getTicks() const;
    virtual void wait(long milliseconds);

    ERect rect{};
    CFrame* frame = nullptr;

  private:
    bool isParameter(long index) const;

    // The first drag idle is due at once (the construction time has always passed).
    std::int64_t nextIdleDueMs = std::numeric_limits<std::int64_t>::min();
    bool inIdleStuff = false;
};
