#include "toolkit/X11Window.h"

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

namespace
{
constexpr unsigned int kWheelFirstButton = 4; // X reports wheel steps as buttons 4 to 7

long modifierButtons(unsigned int state)
{
    long buttons = 0;
    if (state & ShiftMask)
        buttons |= kShift;
    if (state & ControlMask)
        buttons |= kControl;
    if (state & Mod1Mask)
        buttons |= kAlt;
    return buttons;
}

long heldButtons(unsigned int state)
{
    long buttons = modifierButtons(state);
    if (state & Button1Mask)
        buttons |= kLButton;
    if (state & Button2Mask)
        buttons |= kMButton;
    if (state & Button3Mask)
        buttons |= kRButton;
    return buttons;
}

long buttonBit(unsigned int button)
{
    switch (button)
    {
    case Button1:
        return kLButton;
    case Button2:
        return kMButton;
    case Button3:
        return kRButton;
    default:
        return 0;
    }
}

unsigned char virtualKey(KeySym keysym)
{
    switch (keysym)
    {
    case XK_BackSpace:
        return kKeyBack;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return kKeyTab;
    case XK_Return:
        return kKeyReturn;
    case XK_KP_Enter:
        return kKeyEnter;
    case XK_Escape:
        return kKeyEscape;
    case XK_space:
        return kKeySpace;
    case XK_Left:
    case XK_KP_Left:
        return kKeyLeft;
    case XK_Up:
    case XK_KP_Up:
        return kKeyUp;
    case XK_Right:
    case XK_KP_Right:
        return kKeyRight;
    case XK_Down:
    case XK_KP_Down:
        return kKeyDown;
    case XK_Home:
        return kKeyHome;
    case XK_End:
        return kKeyEnd;
    case XK_Page_Up:
        return kKeyPageUp;
    case XK_Page_Down:
        return kKeyPageDown;
    case XK_Delete:
        return kKeyDelete;
    case XK_Insert:
        return kKeyInsert;
    case XK_Shift_L:
    case XK_Shift_R:
        return kKeyShift;
    case XK_Control_L:
    case XK_Control_R:
        return kKeyControl;
    case XK_Alt_L:
    case XK_Alt_R:
        return kKeyAlt;
    default:
        if (keysym >= XK_F1 && keysym <= XK_F12)
            return static_cast<unsigned char>(kKeyF1 + (keysym - XK_F1));
        return 0;
    }
}

CKeyCode translateKey(XKeyEvent& event)
{
    char text[8] = {};
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event, text, sizeof(text), &keysym, nullptr);
    CKeyCode key{};
    key.virt = virtualKey(keysym);
    if (key.virt == 0 && length == 1)
        key.character = static_cast<unsigned char>(text[0]);
    if (event.state & ShiftMask)
        key.modifier |= kModifierShift;
    if (event.state & ControlMask)
        key.modifier |= kModifierControl;
    if (event.state & Mod1Mask)
        key.modifier |= kModifierAlternate;
    return key;
}

// Whether a FocusOut on window took the keyboard away from it.
bool focusLeft(Display* display, Window window, const XFocusChangeEvent& event)
{
    // The click that takes the focus first reports it leaving the window under the pointer
    // (NotifyPointer); NotifyInferior means it went to a window inside ours. Neither takes the
    // keyboard away, and a pop-up that click opened must stay.
    if (event.detail == NotifyPointer || event.detail == NotifyInferior)
        return false;
    // Events arrive at the host's idle pace: the focus may be ours again by now.
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    return focus != window;
}

// Set by recordError during parentIsUsable, which runs on the GUI thread only.
bool errorSeen = false;

int recordError(Display*, XErrorEvent*)
{
    errorSeen = true;
    return 0;
}

// A host may hand over a window it has already destroyed (or no window id at all). Asked about
// it, the server answers BadWindow, and Xlib's default handler would end the host's process; so
// the question is asked under a handler of our own, put back straight after.
bool parentIsUsable(Display* display, Window parent, XWindowAttributes& attributes)
{
    XSync(display, False);
    errorSeen = false;
    const XErrorHandler previous = XSetErrorHandler(recordError);
    const Status status = XGetWindowAttributes(display, parent, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    return status != 0 && !errorSeen;
}
} // namespace

X11Window::X11Window(unsigned long parentWindow, long width, long height)
{
    display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XWindowAttributes parent;
    if (!parentIsUsable(display, parentWindow, parent))
    {
        XCloseDisplay(display);
        display = nullptr;
        return;
    }
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
    // No server-side clearing before an expose: the back buffer paints every pixel.
    attributes.background_pixmap = None;
    const unsigned int windowWidth = static_cast<unsigned int>(width > 0 ? width : 1);
    const unsigned int windowHeight = static_cast<unsigned int>(height > 0 ? height : 1);
    window =
        XCreateWindow(display, parentWindow, 0, 0, windowWidth, windowHeight, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    XMapWindow(display, window);
    surface =
        cairo_xlib_surface_create(display, window, parent.visual, static_cast<int>(windowWidth),
                                  static_cast<int>(windowHeight));
    // Synced, not just flushed: hosts may reparent or show the window as soon as we return.
    XSync(display, False);
}

X11Window::~X11Window()
{
    if (!display)
        return;
    // Cairo keeps per-display state (GCs, caches) until its device is finished.
    cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(surface));
    cairo_surface_destroy(surface);
    cairo_device_finish(device);
    cairo_device_destroy(device);
    // Closing the connection destroys our window on the server. An explicit XDestroyWindow
    // would fail fatally when the host has already destroyed its window (and ours with it).
    XCloseDisplay(display);
}

int X11Window::getConnectionFd() const
{
    return display != nullptr ? ConnectionNumber(display) : -1;
}

void X11Window::processEvents(CFrame& frame)
{
    while (!destroyed && XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        dispatch(frame, event);
    }
}

void X11Window::dispatch(CFrame& frame, XEvent& event)
{
    switch (event.type)
    {
    case Expose:
        exposed.emplace_back(event.xexpose.x, event.xexpose.y,
                             event.xexpose.x + event.xexpose.width,
                             event.xexpose.y + event.xexpose.height);
        break;
    case ButtonPress:
        if (event.xbutton.button < kWheelFirstButton)
        {
            takeFocus();
            frame.onMouseDown(CPoint(event.xbutton.x, event.xbutton.y),
                              buttonBit(event.xbutton.button) |
                                  modifierButtons(event.xbutton.state));
        }
        break;
    case ButtonRelease:
        if (event.xbutton.button < kWheelFirstButton)
            frame.onMouseUp(CPoint(event.xbutton.x, event.xbutton.y),
                            buttonBit(event.xbutton.button) | modifierButtons(event.xbutton.state));
        break;
    case MotionNotify:
        // Only the latest position of a burst matters; events after it keep their order.
        while (XPending(display) > 0)
        {
            XEvent next;
            XPeekEvent(display, &next);
            if (next.type != MotionNotify || next.xmotion.window != window)
                break;
            XNextEvent(display, &event);
        }
        frame.onMouseMoved(CPoint(event.xmotion.x, event.xmotion.y),
                           heldButtons(event.xmotion.state));
        break;
    case KeyPress:
    {
        CKeyCode key = translateKey(event.xkey);
        frame.onKeyDown(key);
        break;
    }
    case KeyRelease:
    {
        CKeyCode key = translateKey(event.xkey);
        frame.onKeyUp(key);
        break;
    }
    case FocusOut:
        if (focusLeft(display, window, event.xfocus))
            frame.onFocusLost();
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
            destroyed = true;
        break;
    default:
        break;
    }
}

void X11Window::takeFocus()
{
    // Giving the focus to a window that is not viewable is a fatal X error.
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

void X11Window::show(COffscreenContext& backBuffer, const std::vector<CRect>& regions)
{
    if (destroyed || (regions.empty() && exposed.empty()))
    {
        exposed.clear();
        return;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, backBuffer.getSurface(), 0, 0);
    // One fill per rectangle: cairo 1.16 leaks when an xlib fill has several boxes.
    const std::vector<CRect>* sources[] = {&regions, &exposed};
    for (const std::vector<CRect>* rects : sources)
    {
        for (const CRect& rect : *rects)
        {
            cairo_rectangle(cr, rect.left, rect.top, rect.width(), rect.height());
            cairo_fill(cr);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    // A round trip, not just a flush: cairo 1.16 leaks a record for each fill that it makes
    // while it still takes the previous upload's shared memory for busy.
    XSync(display, False);
    exposed.clear();
}
