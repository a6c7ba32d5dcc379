// The CLAP edition's editor: the shared LimiterEditor, alive as long as its instance (so the
// audio thread may post values to it at any time), embedded in the host's X11 window. Its X
// events and redraws run on the host's main thread through the host's timer and, where
// offered, its watch on the display connection: no thread of our own.
#pragma once

#include <cstdint>
#include <memory>

#include "clap/Gui.h"
#include "editor/EditorConnection.h"

class ClapLimiter;
class LimiterEditor;

class ClapEditor : public EditorConnection
{
  public:
    // Main thread, from the instance's constructor.
    explicit ClapEditor(ClapLimiter& limiter);
    // Main thread. Closes a window the host left open.
    ~ClapEditor() override;

    // Any thread: the value the editor shows next.
    void postParameter(int index, float value);

    // Main thread: the gui extension.
    static bool isApiSupported(const char* api, bool isFloating);
    bool create(const char* api, bool isFloating);
    void destroy();
    bool setScale(double scale);
    bool getSize(std::uint32_t& width, std::uint32_t& height);
    // The sizes of the size menu's scales, the nearest one to what the host asks.
    static void adjustSize(std::uint32_t& width, std::uint32_t& height);
    bool setSize(std::uint32_t width, std::uint32_t height);
    bool setParent(const clap_window& window);
    bool show();
    bool hide();
    void onTimer(clap_id timer);
    void onFd(int fd);
    bool isCreated() const { return created; }
    // The editor's X11 window, 0 while it has none.
    unsigned long windowId() const;

    // EditorConnection, main thread.
    float getParameter(int index) const override;
    void beginEdit(int index) override;
    void setParameterAutomated(int index, float value) override;
    void endEdit(int index) override;
    // The host's loop runs on when our drag loop returns; nothing to do meanwhile.
    void idleHostDuringDrag() override {}
    void readMeters(MeterReadings& readings) override;
    void resetPeakHold() override;
    bool requestEditorSize(int widthPx, int heightPx) override;

  private:
    void idle();
    // Watches the display connection the window has now (a resize builds a new one).
    void watchConnection();
    void stopWatching();

    ClapLimiter& limiter;
    std::unique_ptr<LimiterEditor> editor;
    bool created = false;
    unsigned long parentWindow = 0;
    clap_id timer = kClapInvalidId;
    int watchedFd = -1;
    // True while the host's own set_size resizes: that request needs no asking.
    bool hostResizing = false;
};
