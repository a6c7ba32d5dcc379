// The frame as a child window under a real X server (Xvfb in the test script): input through
// XTest, output read back with XGetImage.
#include "TestBitmaps.h"
#include "ToolkitTestSupport.h"

#include "toolkit/CAnimKnob.h"
#include "toolkit/CFrame.h"
#include "toolkit/CMovieButton.h"

// gtest first: Xlib defines macros (None, Bool) that gtest uses as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace
{
constexpr int kParentWidth = 160;  // pixels
constexpr int kParentHeight = 100; // pixels
constexpr auto kEventWait = std::chrono::seconds(5);

class X11FrameTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        int event, error, major, minor;
        ASSERT_TRUE(XTestQueryExtension(display, &event, &error, &major, &minor));
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kParentWidth,
                                     kParentHeight, 0, 0, 0);
        XMapRaised(display, parent);
        XSync(display, False);
    }

    void TearDown() override
    {
        if (!display)
            return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    // Idles the frame until done() holds; false after kEventWait.
    bool idleUntil(CFrame& frame, const std::function<bool()>& done)
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

    void fakeMotion(int x, int y)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XFlush(display);
    }
    void fakeButton(bool press)
    {
        XTestFakeButtonEvent(display, Button1, press ? True : False, CurrentTime);
        XFlush(display);
    }

    // Reads the parent window back and saves it as a PNG in the build directory.
    CColor screenshot(const char* path, long x, long y)
    {
        XImage* image =
            XGetImage(display, parent, 0, 0, kParentWidth, kParentHeight, AllPlanes, ZPixmap);
        cairo_surface_t* png =
            cairo_image_surface_create(CAIRO_FORMAT_RGB24, kParentWidth, kParentHeight);
        unsigned char* data = cairo_image_surface_get_data(png);
        const int stride = cairo_image_surface_get_stride(png);
        for (int row = 0; row < kParentHeight; ++row)
            for (int column = 0; column < kParentWidth; ++column)
                reinterpret_cast<uint32_t*>(data + row * stride)[column] =
                    static_cast<uint32_t>(XGetPixel(image, column, row)) & 0xffffffu;
        cairo_surface_mark_dirty(png);
        cairo_surface_write_to_png(png, path);
        const unsigned long pixel = XGetPixel(image, static_cast<int>(x), static_cast<int>(y));
        cairo_surface_destroy(png);
        XDestroyImage(image);
        return CColor{static_cast<unsigned char>(pixel >> 16),
                      static_cast<unsigned char>(pixel >> 8), static_cast<unsigned char>(pixel),
                      255};
    }

    Display* display = nullptr;
    Window parent = 0;
};

TEST_F(X11FrameTest, DragAndClickThroughXTestReachTheControlsAndTheScreen)
{
    setProcessKnobMode(kLinearMode);
    RecordingEditor editor;
    BitmapRef background(kBackgroundId);
    BitmapRef strip(kKnobId);
    BitmapRef buttonBitmap(kButtonId);
    strip.get()->setTransparentColor(kKnobKeyColor);

    CFrame frame(CRect(0, 0, 120, 80), reinterpret_cast<void*>(parent), &editor);
    ASSERT_TRUE(frame.isWindowOpen());
    frame.setBackground(background.get());
    auto* knob =
        new CAnimKnob(CRect(20, 20, 30, 30), &editor, 4, kKnobFrames, kKnobSizePixels, strip.get());
    knob->setTransparency(true);
    knob->setValue(0.25f);
    auto* button = new CMovieButton(CRect(60, 20, 70, 30), &editor, 2, 10, buttonBitmap.get());
    frame.addView(knob);
    frame.addView(button);

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
    XSync(display, False);
    const std::string path = std::string(TOOLKIT_TEST_OUTPUT_DIR) + "/x11-frame.png";
    EXPECT_EQ(screenshot(path.c_str(), 65, 25), kButtonOnColor);
    EXPECT_EQ(screenshot(path.c_str(), 25, 25), knobFrameColor(22)) << "floor(0.35 x 64)";
    EXPECT_EQ(screenshot(path.c_str(), 20, 20), kBackgroundColor) << "keyed corner";
    EXPECT_EQ(screenshot(path.c_str(), 140, 50), kBlackCColor) << "the parent beside the frame";
}

TEST_F(X11FrameTest, OpeningAndClosingRepeatsCleanly)
{
    for (int round = 0; round < 5; ++round)
    {
        BitmapRef background(kBackgroundId);
        CFrame frame(CRect(0, 0, 120, 80), reinterpret_cast<void*>(parent), nullptr);
        ASSERT_TRUE(frame.isWindowOpen());
        frame.setBackground(background.get());
        frame.idle();
        Window root, parentOfFrame, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, frame.getWindowId(), &root, &parentOfFrame, &children, &count);
        XFree(children);
        EXPECT_EQ(parentOfFrame, parent);
    }
    Window root, grandParent, *children = nullptr;
    unsigned int count = 0;
    XSync(display, False);
    XQueryTree(display, parent, &root, &grandParent, &children, &count);
    XFree(children);
    EXPECT_EQ(count, 0u) << "every child window is gone";
}
} // namespace
