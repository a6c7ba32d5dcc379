#pragma once

#include "toolkit/CRect.h"

#include <vector>

typedef struct _XDisplay Display;
typedef struct _cairo_surface cairo_surface_t;
union _XEvent;

class CFrame;
class COffscreenContext;

// The frame's child window inside the host's window, on a display connection of its own
// (hosts differ in what else they pass). Created, pumped and closed on one thread; never calls
// XInitThreads.
class X11Window
{
  public:
    // isOpen() is false when the display cannot be opened.
    X11Window(unsigned long parentWindow, long width, long height);
    ~X11Window();

    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool isOpen() const { return display != nullptr; }
    unsigned long getWindowId() const { return window; }
    // The display connection's file descriptor, readable when events wait: a host's event loop
    // watches it so the window needs no thread of its own.
    int getConnectionFd() const;

    // Hands every pending event to frame without blocking.
    void processEvents(CFrame& frame);
    // Copies the regions, and whatever was exposed, from the back buffer to the window.
    void show(COffscreenContext& backBuffer, const std::vector<CRect>& regions);

  private:
    void dispatch(CFrame& frame, _XEvent& event);
    void takeFocus();

    Display* display = nullptr;
    unsigned long window = 0;
    cairo_surface_t* surface = nullptr;
    std::vector<CRect> exposed;
    bool destroyed = false; // the host destroyed its window, and ours with it
};
