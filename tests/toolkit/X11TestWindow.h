#pragma once

// A mapped parent window on the X server of DISPLAY (a private Xvfb in the test scripts) for the
// suites that drive real windows: input through XTest, the window read back with XGetImage.
// Without DISPLAY the tests skip; a subclass's SetUp returns early when IsSkipped().
#include "toolkit/CDrawContext.h"

// gtest first: Xlib defines macros (None, Bool) that gtest uses as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cairo.h>
#include <cstdint>
#include <cstdlib>
#include <memory>

class X11TestWindow : public ::testing::Test
{
  protected:
    X11TestWindow(int widthPixels, int heightPixels) : width(widthPixels), height(heightPixels) {}

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        parent =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
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

    void* parentHandle() const { return reinterpret_cast<void*>(parent); }
    // Before SetUp: a parent of another size.
    void resizeParent(int widthPixels, int heightPixels)
    {
        width = widthPixels;
        height = heightPixels;
    }

    void fakeMotion(int x, int y)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XFlush(display);
    }
    // A button (the first unless given), with a modifier key (a keysym such as XK_Control_L)
    // held around it if given.
    void fakeButton(bool press, KeySym modifier = 0, unsigned int button = Button1)
    {
        if (modifier)
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, modifier), press, CurrentTime);
        XTestFakeButtonEvent(display, button, press, CurrentTime);
        XFlush(display);
    }

    unsigned int childWindows(Window window)
    {
        XSync(display, False);
        Window root, grandParent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, window, &root, &grandParent, &children, &count);
        XFree(children);
        return count;
    }

    // The parent window as the server shows it, also saved as a PNG at pngPath.
    std::unique_ptr<COffscreenContext> screenshot(const std::string& pngPath)
    {
        XSync(display, False);
        auto shot = std::make_unique<COffscreenContext>(width, height);
        XImage* image = XGetImage(display, parent, 0, 0, width, height, AllPlanes, ZPixmap);
        unsigned char* data = cairo_image_surface_get_data(shot->getSurface());
        const int stride = cairo_image_surface_get_stride(shot->getSurface());
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
                reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) | 0xff000000u;
        }
        XDestroyImage(image);
        cairo_surface_mark_dirty(shot->getSurface());
        shot->writePng(pngPath.c_str());
        return shot;
    }

    Display* display = nullptr;
    Window parent = 0;

  private:
    int width;
    int height;
};
