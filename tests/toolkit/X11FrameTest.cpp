// The frame as a child window under a real X server: input through XTest, output read back.
#include "TestBitmaps.h"
#include "ToolkitTestSupport.h"
#include "X11TestWindow.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuPopup.h"

#include <X11/keysym.h>

#include <chrono>
#include <functional>
#include <thread>

namespace
{
constexpr auto kEventWait = std::chrono::seconds(5);

class X11FrameTest : public X11TestWindow
{
  protected:
    X11FrameTest() : X11TestWindow(160, 100) {}

    // Idles the frame until done() holds; false after kEventWait.
    static bool idleUntil(CFrame& frame, const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kEventWait;
        while (std::chrono::steady_clock::now() < deadline)
        {
            frame.idle();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    void fakeKey(KeySym keysym)
    {
        const KeyCode code = XKeysymToKeycode(display, keysym);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XFlush(display);
    }

    Window inputFocus()
    {
        Window focus = 0;
        int revertTo = 0;
        XGetInputFocus(display, &focus, &revertTo);
        return focus;
    }
};

TEST_F(X11FrameTest, DragAndClickThroughXTestReachTheControlsAndTheScreen)
{
    setProcessKnobMode(kLinearMode);
    RecordingEditor editor;
    BitmapRef background(kBackgroundId);
    BitmapRef strip(kKnobId);
    BitmapRef buttonBitmap(kButtonId);
    strip.get()->setTransparentColor(kKnobKeyColor);

    CFrame frame(CRect(0, 0, 120, 80), parentHandle(), &editor);
    ASSERT_TRUE(frame.isWindowOpen());
    frame.setBackground(background.get());
    auto* knob =
        new CAnimKnob(CRect(20, 20, 30, 30), &editor, 4, kKnobFrames, kKnobSizePixels, strip.get());
    knob->setTransparency(true);
    knob->setValue(0.25f);
    frame.addView(knob);
    frame.addView(new CMovieButton(CRect(60, 20, 70, 30), &editor, 2, 10, buttonBitmap.get()));

    fakeMotion(25, 25);
    fakeButton(true);
    ASSERT_TRUE(idleUntil(frame, [&] { return editor.log.size() == 1; }));
    fakeMotion(25, 5); // 20 pixels up: +0.1
    ASSERT_TRUE(idleUntil(frame, [&] { return editor.log.size() == 2; }));
    fakeButton(false);
    ASSERT_TRUE(idleUntil(frame, [&] { return editor.log.size() == 3; }));
    fakeMotion(65, 25);
    fakeButton(true);
    fakeButton(false);
    ASSERT_TRUE(idleUntil(frame, [&] { return editor.log.size() == 6; }));
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 4", "change 4 0.3500", "end 4",
                                                    "begin 2", "change 2 1.0000", "end 2"}));

    frame.idle();
    auto shot = screenshot(std::string(TOOLKIT_TEST_OUTPUT_DIR) + "/x11-frame.png");
    EXPECT_EQ(shot->getPixel(65, 25), kButtonOnColor);
    EXPECT_EQ(shot->getPixel(25, 25), knobFrameColor(22)) << "floor(0.35 x 64)";
    EXPECT_EQ(shot->getPixel(20, 20), kBackgroundColor) << "keyed corner";
    EXPECT_EQ(shot->getPixel(140, 50), kBlackCColor) << "the parent beside the frame";
}

// The click that opens a menu also gives the frame the keyboard focus; the focus events this
// causes for the frame's own window lose nothing. What closes the pop-up: an entry chosen,
// another window keeping the focus, Escape (a click outside works as without a window).
TEST_F(X11FrameTest, APopUpOpenedByTheClickThatFocusesTheFrameStaysUntilFocusReallyLeaves)
{
    const CRect menuRect(10, 10, 60, 20);
    constexpr int kMenuX = 30, kMenuY = 15; // inside the menu, frame pixels
    // The middle of the list's second row; the list starts under the menu.
    const int secondRowY = menuRect.bottom + COptionMenuPopup::kRowHeightPixels * 3 / 2;
    enum class Action
    {
        chooseSecondEntry,
        otherWindowTakesFocus,
        focusLeavesAndReturns,
        escape
    };
    struct Case
    {
        const char* name;
        Window focusBefore; // PointerRoot (the window under the pointer has it) or the host's
        Action action;
        bool closes;
        std::vector<std::string> log;
    };
    const std::vector<std::string> chosen{"begin 16", "change 16 1.0000", "end 16"};
    const Case cases[] = {
        {"focus with the pointer, entry chosen", PointerRoot, Action::chooseSecondEntry, true,
         chosen},
        {"focus with the host's window, entry chosen", parent, Action::chooseSecondEntry, true,
         chosen},
        {"another window takes the focus", PointerRoot, Action::otherWindowTakesFocus, true, {}},
        {"focus gone and back before an idle",
         PointerRoot,
         Action::focusLeavesAndReturns,
         false,
         {}},
        {"Escape", PointerRoot, Action::escape, true, {}},
    };
    const Window other =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 400, 400, 20, 20, 0, 0, 0);
    XMapRaised(display, other);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        RecordingEditor editor;
        CFrame frame(CRect(0, 0, 120, 80), parentHandle(), &editor);
        ASSERT_TRUE(frame.isWindowOpen());
        auto* menu = new COptionMenu(menuRect, &editor, 16, nullptr, nullptr, kNoFrame);
        for (const char* entry : {"24 bit", "16 bit", "8 bit"})
            menu->addEntry(entry);
        frame.addView(menu);
        XSetInputFocus(display, c.focusBefore, RevertToPointerRoot, CurrentTime);
        fakeMotion(kMenuX, kMenuY);
        XSync(display, False);
        frame.idle();
        const auto idleAWhile = [&]
        {
            for (int round = 0; round < 10; ++round)
            {
                frame.idle();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };

        fakeButton(true);
        fakeButton(false);
        ASSERT_TRUE(idleUntil(frame, [&] { return inputFocus() == frame.getWindowId(); }));
        idleAWhile(); // the focus events of the click arrive
        ASSERT_TRUE(menu->isPopupOpen()) << "closed by the focus its own click gave";

        switch (c.action)
        {
        case Action::chooseSecondEntry:
            fakeMotion(kMenuX, secondRowY);
            fakeButton(true);
            fakeButton(false);
            break;
        case Action::otherWindowTakesFocus:
            XSetInputFocus(display, other, RevertToPointerRoot, CurrentTime);
            XFlush(display);
            break;
        case Action::focusLeavesAndReturns:
            XSetInputFocus(display, other, RevertToPointerRoot, CurrentTime);
            XSetInputFocus(display, frame.getWindowId(), RevertToPointerRoot, CurrentTime);
            XSync(display, False);
            break;
        case Action::escape:
            fakeKey(XK_Escape);
            break;
        }
        if (c.closes)
            EXPECT_TRUE(idleUntil(frame, [&] { return !menu->isPopupOpen(); }));
        else
        {
            idleAWhile();
            EXPECT_TRUE(menu->isPopupOpen());
        }
        EXPECT_EQ(editor.log, c.log);
    }
    XDestroyWindow(display, other);
}

TEST_F(X11FrameTest, AParentTheHostHasAlreadyDestroyedLeavesTheFrameHeadless)
{
    const Window stale =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, stale);
    XSync(display, False);

    RecordingEditor editor;
    CFrame frame(CRect(0, 0, 120, 80), reinterpret_cast<void*>(stale), &editor);
    EXPECT_FALSE(frame.isWindowOpen());
    frame.idle();
}

TEST_F(X11FrameTest, OpeningAndClosingRepeatsCleanly)
{
    for (int round = 0; round < 5; ++round)
    {
        CFrame frame(CRect(0, 0, 120, 80), parentHandle(), nullptr);
        ASSERT_TRUE(frame.isWindowOpen());
        frame.idle();
        EXPECT_EQ(childWindows(parent), 1u);
    }
    EXPECT_EQ(childWindows(parent), 0u) << "every child window is gone";
}
} // namespace
