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
#include <functional>
#include <thread>

namespace
{
constexpr int kWidth = 600, kHeight = 400; // pixels
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
constexpr auto kEventWait = std::chrono::seconds(5);

std::vector<RecordedHostCall> hostLog;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
        opcode == audioMasterEndEdit)
        hostLog.push_back({opcode, index, opcode == audioMasterAutomate ? opt : 0.0f});
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

class EditorX11 : public ::testing::Test
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
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0,
                                     0, 0);
        XMapRaised(display, parent);
        XSync(display, False);
        // Kept loaded until exit, so leak reports can name the library's code.
        void* library = dlopen(VARNHOLT_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        effect = entry(host);
        ASSERT_NE(effect, nullptr);
        hostLog.clear();
    }

    void TearDown() override
    {
        if (effect)
            dispatch(effClose);
        if (!display)
            return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    void open() { ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1); }
    void idleFor(int periods)
    {
        for (int period = 0; period < periods; ++period)
        {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(kIdlePeriod);
        }
    }
    // Idles at about 50 Hz until the host log holds count calls.
    bool idleUntilLogged(size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + kEventWait;
        while (hostLog.size() < count && std::chrono::steady_clock::now() < deadline)
            idleFor(1);
        idleFor(2);
        return hostLog.size() == count;
    }

    void move(int x, int y)
    {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XFlush(display);
        idleFor(2);
    }
    void button(bool press)
    {
        XTestFakeButtonEvent(display, Button1, press ? True : False, CurrentTime);
        XFlush(display);
        idleFor(2);
    }
    void click(int x, int y)
    {
        move(x, y);
        button(true);
        button(false);
    }
    void key(KeySym symbol, bool press)
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), press ? True : False,
                          CurrentTime);
        XFlush(display);
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

    // Reads the parent window back; saves it as a PNG when a name is given.
    std::function<CColor(long, long)> grab(const char* pngName = nullptr)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, parent, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        auto pixels = std::make_shared<std::vector<unsigned long>>();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels->push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        if (pngName)
        {
            cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
            unsigned char* data = cairo_image_surface_get_data(png);
            const int stride = cairo_image_surface_get_stride(png);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    reinterpret_cast<uint32_t*>(data + y * stride)[x] =
                        static_cast<uint32_t>((*pixels)[y * kWidth + x]) & 0xffffffu;
            cairo_surface_mark_dirty(png);
            cairo_surface_write_to_png(png, testOutputPath(pngName).c_str());
            cairo_surface_destroy(png);
        }
        return [pixels](long x, long y)
        {
            const unsigned long pixel = (*pixels)[y * kWidth + x];
            return CColor{static_cast<unsigned char>(pixel >> 16),
                          static_cast<unsigned char>(pixel >> 8), static_cast<unsigned char>(pixel),
                          255};
        };
    }

    Display* display = nullptr;
    Window parent = 0;
    AEffect* effect = nullptr;
};

void expectLog(const std::vector<RecordedHostCall>& expected)
{
    ASSERT_EQ(hostLog.size(), expected.size());
    for (size_t call = 0; call < expected.size(); ++call)
    {
        EXPECT_EQ(hostLog[call].opcode, expected[call].opcode) << "call " << call;
        EXPECT_EQ(hostLog[call].index, expected[call].index) << "call " << call;
        EXPECT_NEAR(hostLog[call].value, expected[call].value, 1e-6f) << "call " << call;
    }
    hostLog.clear();
}

// The filmstrip frame a knob value shows, at the knob's centre.
CColor knobCentre(long bitmapId, long size, float value)
{
    const long frame = static_cast<long>(value * 64.0f);
    return BitmapPixels(bitmapId).at(size / 2, frame * size + size / 2);
}
} // namespace

TEST_F(EditorX11, AHostOpensDrivesAndReopensTheEditor)
{
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);
    open();
    EXPECT_EQ(childWindows(), 1u);
    idleFor(5);

    move(188, 193); // the drive fader's handle, 0.52
    button(true);
    move(188, 130); // 63 of 252 pixels up
    button(false);
    ASSERT_TRUE(idleUntilLogged(3));
    expectLog({{audioMasterBeginEdit, 3, 0},
               {audioMasterAutomate, 3, 0.77f},
               {audioMasterEndEdit, 3, 0}});

    move(57, 292); // the side gain knob, 0.5
    button(true);
    move(57, 252); // 40 of 200 pixels up
    button(false);
    ASSERT_TRUE(idleUntilLogged(3));
    expectLog(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.7f}, {audioMasterEndEdit, 4, 0}});

    click(459, 76); // Bypass
    click(549, 71); // K14
    ASSERT_TRUE(idleUntilLogged(6));
    expectLog({{audioMasterBeginEdit, 2, 0},
               {audioMasterAutomate, 2, 1.0f},
               {audioMasterEndEdit, 2, 0},
               {audioMasterBeginEdit, 1, 0},
               {audioMasterAutomate, 1, 0.5f},
               {audioMasterEndEdit, 1, 0}});

    click(407, 24);  // the word-length menu opens its list below
    click(400, 120); // its seventh row, " 8 bit"
    ASSERT_TRUE(idleUntilLogged(3));
    expectLog({{audioMasterBeginEdit, 16, 0},
               {audioMasterAutomate, 16, 6.0f},
               {audioMasterEndEdit, 16, 0}});

    key(XK_Control_L, true);
    click(57, 292);
    key(XK_Control_L, false);
    ASSERT_TRUE(idleUntilLogged(3));
    expectLog(
        {{audioMasterBeginEdit, 4, 0}, {audioMasterAutomate, 4, 0.5f}, {audioMasterEndEdit, 4, 0}});

    click(355, 351); // the readout: resets the held peaks, tells the host nothing
    idleFor(3);
    EXPECT_TRUE(hostLog.empty());
    auto shown = grab("editor-x11-after-input.png");
    EXPECT_EQ(shown(549, 71), BitmapPixels(1042).at(11, 30)) << "K14 lit";
    EXPECT_EQ(shown(459, 76), BitmapPixels(1041).at(16, 49)) << "Bypass lit";

    effect->setParameter(effect, 9, 0.9f); // stereo link knob, from the host
    dispatch(effSetProgram, 0, 7);         // K12, side gain 0.7; the program keeps link 0.5
    effect->setParameter(effect, 9, 0.9f);
    idleFor(2);
    shown = grab();
    EXPECT_EQ(shown(524, 71), BitmapPixels(1042).at(11, 30)) << "K12 lit";
    EXPECT_EQ(shown(57, 292), knobCentre(1040, 70, 0.7f)) << "side gain";
    EXPECT_EQ(shown(46, 159), knobCentre(1037, 50, 0.9f)) << "stereo link";

    dispatch(effEditClose);
    EXPECT_EQ(childWindows(), 0u);
    effect->setParameter(effect, 9, 0.2f);
    open();
    idleFor(5);
    shown = grab("editor-x11.png");
    EXPECT_EQ(shown(46, 159), knobCentre(1037, 50, 0.2f)) << "changed while closed";
    EXPECT_EQ(shown(524, 71), BitmapPixels(1042).at(11, 30)) << "K12 still lit";
    EXPECT_TRUE(hostLog.empty()) << "host-side changes are not echoed";
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
    // Closing the effect with the window still open closes the window too.
    dispatch(effClose);
    effect = nullptr;
    EXPECT_EQ(childWindows(), 0u);
}
