#pragma once

#include "toolkit/CKeyCode.h"
#include "toolkit/CRect.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdint>
#include <limits>

class CFrame;
class EditorHost;

// Base of an editor built on the toolkit, in any plug-in format: holds the frame while the
// window is open, hands idle and keys to it, forwards the user's edit brackets to the
// EditorHost and keeps the editor idling while a control tracks the mouse in a loop of its
// own. An edition's own editor object (in its format's editor slot) drives it. Every operation
// runs on the GUI thread (the one that opens, idles and closes the editor) unless noted.
class AEffGUIEditor : public VSTGUIEditorInterface
{
  public:
    static constexpr long kIdleRateMs = 100;    // drag idle: at most one editor idle per 100 ms
    static constexpr long kIdleEarlyMs = 50;    // ... or up to 50 ms early
    static constexpr long kIdlePollSleepMs = 4; // sleep of each poll before it is due

    // host may be null: edits and drag idles then reach no one.
    explicit AEffGUIEditor(EditorHost* host);
    // Deletes the frame when the window was never closed.
    ~AEffGUIEditor() override;

    AEffGUIEditor(const AEffGUIEditor&) = delete;
    AEffGUIEditor& operator=(const AEffGUIEditor&) = delete;

    // The window's size in device pixels, valid before open() too: hosts ask for it first.
    virtual const CRect& getRect() { return rect; }
    // Stores the parent window (an X11 Window id cast to a pointer, or null for a headless
    // frame); the derived editor then builds its frame.
    virtual bool open(void* parent);
    // Deletes the frame and with it every view.
    virtual void close();
    // The frame update: handles window events and redraws dirty views; does nothing while the
    // host's idle call made from doIdleStuff is running.
    virtual void idle();
    // True when the key was used.
    virtual bool onKeyDown(CKeyCode& key);
    virtual bool onKeyUp(CKeyCode& key);
    // Sets the process-wide knob mode (0 circular, 1 relative circular, 2 linear).
    virtual bool setKnobMode(long mode);

    void beginEdit(long index) override;
    void endEdit(long index) override;
    // The drag-idle rule: called on every pass of a tracking loop, runs idle() at most every
    // kIdleRateMs, sleeping kIdlePollSleepMs while not due, then lets the host idle.
    void doIdleStuff() override;
    long getKnobMode() const override;

    // A parameter changed; the derived editor moves its control. Any thread.
    virtual void setParameter(long index, float value)
    {
        (void)index;
        (void)value;
    }

    CFrame* getFrame() const { return frame; }

  protected:
    // Milliseconds of a monotonic clock, and a sleep; replaceable so tests can drive time.
    virtual std::int64_t getTicks() const;
    virtual void wait(long milliseconds);

    EditorHost* host;
    CRect rect;
    void* systemWindow = nullptr;
    CFrame* frame = nullptr;

  private:
    // The first drag idle is due at once (the construction time has always passed).
    std::int64_t nextIdleDueMs = std::numeric_limits<std::int64_t>::min();
    bool inIdleStuff = false;
};
