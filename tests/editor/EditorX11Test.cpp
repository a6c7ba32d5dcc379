// The built VarnholtPro.so driven as a host drives it under an X server (Xvfb in the test
// scripts): a parent window, the effEdit* requests, idle at about 50 Hz, and input through XTest.
#include "EditorTestSupport.h"

// gtest first: Xlib defines macros (None, Bool) that gtest uses as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>

namespace
{
constexpr int kWidth = 600, kHeight = 400; // pixels
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
constexpr int kPatiencePeriods = 250; // five seconds of idles

class EditorX11 : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0,
                                     0, 0);
        XMapRaised(display, parent);
        XSync(display, False);
        // Kept loaded until exit, so leak reports can name the library's code.
        void* library = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        effect = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"))(
            reinterpret_cast<audioMasterCallback>(recordingHost));
        ASSERT_NE(effect, nullptr);
        recordedHostCalls().clear();
    }

    void TearDown() override
    {
        if (effect)
            dispatch(effClose);
        if (display)
        {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }

    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
    }
    void open() { ASSERT_EQ(dispatch(effEditOpen, 0, reinterpret_cast<void*>(parent)), 1); }
    void idle(int periods = 2)
    {
        for (int period = 0; period < periods; ++period)
        {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(kIdlePeriod);
        }
    }
    // Idles until the host has been told count things, then checks them.
    void expectCallsAfterIdles(const std::vector<RecordedHostCall>& expected)
    {
        for (int period = 0; period < kPatiencePeriods; ++period)
            if (recordedHostCalls().size() < expected.size())
                idle(1);
        idle();
        expectHostCalls(expected);
    }

    void move(int x, int y)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XFlush(display);
        idle();
    }
    void button(bool press, unsigned int modifierKey = 0)
    {
        if (modifierKey)
            XTestFakeKeyEvent(display, modifierKey, press, CurrentTime);
        XTestFakeButtonEvent(display, Button1, press, CurrentTime);
        XFlush(display);
        idle();
    }
    void click(int x, int y, unsigned int modifierKey = 0)
    {
        move(x, y);
        button(true, modifierKey);
        button(false, modifierKey);
    }

    unsigned int childWindows()
    {
        XSync(display, False);
        Window root, grandParent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &grandParent, &children, &count);
        XFree(children);
        return count;
    }

    // The parent window as the X server shows it, saved as a PNG when a name is given.
    std::unique_ptr<COffscreenContext> screenshot(const char* pngName = nullptr)
    {
        XSync(display, False);
        auto shot = std::make_unique<COffscreenContext>(kWidth, kHeight);
        XImage* image = XGetImage(display, parent, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        unsigned char* data = cairo_image_surface_get_data(shot->getSurface());
        const int stride = cairo_image_surface_get_stride(shot->getSurface());
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) | 0xff000000u;
        XDestroyImage(image);
        cairo_surface_mark_dirty(shot->getSurface());
        if (pngName)
            shot->writePng(testOutputPath(pngName).c_str());
        return shot;
    }

    Display* display = nullptr;
    Window parent = 0;
    AEffect* effect = nullptr;
};

const CColor kSmallButtonLit = BitmapPixels(1042).at(11, 30);
} // namespace

TEST_F(EditorX11, AHostOpensDrivesAndReopensTheEditor)
{
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);
    open();
    EXPECT_EQ(childWindows(), 1u);
    idle(5);

    move(188, 193); // the drive fader's handle, 0.52
    button(true);
    move(188, 130); // 63 of 252 pixels up
    button(false);
    expectCallsAfterIdles({{audioMasterBeginEdit, 3, 0},
                           {audioMasterAutomate, 3, 0.77f},
                           {audioMasterEndEdit, 3, 0}});
    move(57, 292); // the side gain knob, 0.5
    button(true);
    move(57, 252); // 40 of 200 pixels up
    button(false);
    expectCallsAfterIdles(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.7f}, {audioMasterEndEdit, 4, 0}});
    click(459, 76); // Bypass
    click(549, 71); // K14
    expectCallsAfterIdles({{audioMasterBeginEdit, 2, 0},
                           {audioMasterAutomate, 2, 1.0f},
                           {audioMasterEndEdit, 2, 0},
                           {audioMasterBeginEdit, 1, 0},
                           {audioMasterAutomate, 1, 0.5f},
                           {audioMasterEndEdit, 1, 0}});
    click(407, 24);  // the word-length menu opens its list below
    click(400, 120); // its seventh row, " 8 bit"
    expectCallsAfterIdles({{audioMasterBeginEdit, 16, 0},
                           {audioMasterAutomate, 16, 6.0f},
                           {audioMasterEndEdit, 16, 0}});
    click(57, 292, XKeysymToKeycode(display, XK_Control_L));
    expectCallsAfterIdles(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.5f}, {audioMasterEndEdit, 4, 0}});
    click(355, 351); // the readout resets the held peaks and tells the host nothing
    expectCallsAfterIdles({});
    auto shot = screenshot("editor-x11-after-input.png");
    EXPECT_EQ(shot->getPixel(549, 71), kSmallButtonLit) << "K14";
    EXPECT_EQ(shot->getPixel(459, 76), BitmapPixels(1041).at(16, 49)) << "Bypass";

    dispatch(effSetProgram, 7); // K12, side gain 0.7
    effect->setParameter(effect, 9, 0.9f);
    idle();
    shot = screenshot();
    EXPECT_EQ(shot->getPixel(524, 71), kSmallButtonLit) << "K12";
    EXPECT_EQ(shot->getPixel(57, 292), knobCentre(1040, 70, 0.7f)) << "side gain";
    EXPECT_EQ(shot->getPixel(46, 159), knobCentre(1037, 50, 0.9f)) << "stereo link";

    dispatch(effEditClose);
    EXPECT_EQ(childWindows(), 0u);
    effect->setParameter(effect, 9, 0.2f);
    open();
    idle(5);
    shot = screenshot("editor-x11.png");
    EXPECT_EQ(shot->getPixel(46, 159), knobCentre(1037, 50, 0.2f)) << "changed while closed";
    EXPECT_EQ(shot->getPixel(524, 71), kSmallButtonLit) << "K12 still";
    expectHostCalls({}); // host-side changes are not echoed
    dispatch(effEditClose);
}

// Run under the AddressSanitizer build, whose leak check covers every open and close.
TEST_F(EditorX11, OpeningAndClosingTwoHundredTimesLeavesNoWindow)
{
    for (int round = 0; round < 200; ++round)
    {
        open();
        dispatch(effEditIdle);
        dispatch(effEditIdle);
        dispatch(effEditClose);
    }
    EXPECT_EQ(childWindows(), 0u);
    open();
    dispatch(effEditIdle);
    EXPECT_EQ(childWindows(), 1u);
    dispatch(effClose); // with the window still open: it goes with the effect
    effect = nullptr;
    EXPECT_EQ(childWindows(), 0u);
}
