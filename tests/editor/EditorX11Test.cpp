// The built VarnholtPro.so driven as a host drives it under an X server: a parent window, the
// effEdit* requests, idle at about 50 Hz, input through XTest and the window read back.
#include "EditorTestSupport.h"
#include "X11TestWindow.h"
#include "editor/LoudnessLayout.h"
#include "tests/support/HostedEffect.h"
#include "tests/support/ScratchSettings.h"
#include "tests/support/TestSignals.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kWidth = 600, kHeight = 400; // pixels
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
constexpr int kPatiencePeriods = 250; // five seconds of idles

class EditorX11 : public X11TestWindow
{
  protected:
    explicit EditorX11(int width = kWidth, int height = kHeight) : X11TestWindow(width, height) {}

    void SetUp() override
    {
        X11TestWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        useEmptySettingsFolder();
        // Kept loaded until exit, so leak reports can name the library's code.
        PluginLibrary::keepLoaded();
        hosted = std::make_unique<HostedEffect>();
        effect = hosted->get();
        forgetHostCalls();
    }
    void TearDown() override
    {
        hosted.reset();
        X11TestWindow::TearDown();
    }

    VstIntPtr dispatch(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr)
    {
        return hosted->dispatch(opcode, 0, value, ptr);
    }
    void open() { ASSERT_EQ(dispatch(effEditOpen, 0, parentHandle()), 1); }
    void idle(int periods = 2)
    {
        for (int period = 0; period < periods; ++period)
        {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(kIdlePeriod);
        }
    }
    // Idles until the host has been told as many things as expected, then checks them.
    void expectCallsAfterIdles(const std::vector<EditCall>& expected)
    {
        for (int period = 0; period < kPatiencePeriods; ++period)
            if (recordedEdits().size() < expected.size())
                idle(1);
        idle();
        expectHostCalls(expected);
    }
    // Button 1 pressed at (x, y) and released at (x, toY), with idles between the steps.
    void drag(int x, int y, int toY, KeySym modifier = 0)
    {
        fakeMotion(x, y);
        idle();
        fakeButton(true, modifier);
        idle();
        fakeMotion(x, toY);
        idle();
        fakeButton(false, modifier);
        idle();
    }
    void click(int x, int y, KeySym modifier = 0) { drag(x, y, y, modifier); }

    std::unique_ptr<HostedEffect> hosted;
    AEffect* effect = nullptr;
};

const CColor kSmallButtonLit = bitmapImage(1042)->getPixel(11, 30);

// A parent as large as the editor at scale 2 (larger than the test server's screen; the clicks
// stay on it).
class EditorX11AtDesktopScale : public EditorX11
{
  protected:
    EditorX11AtDesktopScale() : EditorX11(2 * kWidth, 2 * kHeight) {}

    CRect editorRect()
    {
        ERect* rect = nullptr;
        EXPECT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
        return rect ? CRect(rect->left, rect->top, rect->right, rect->bottom) : CRect();
    }
};

// A parent as large as the editor with the loudness panel at a scale of 1 or 2 (then larger
// than the test server's screen: no screenshot, but the clicks stay on it).
constexpr int kHeightWithPanel = 560;

class EditorX11WithPanel : public EditorX11
{
  protected:
    explicit EditorX11WithPanel(int scale = 1)
        : EditorX11(scale * kWidth, scale * kHeightWithPanel), scale(scale)
    {
    }
    const int scale;

    // The size of the editor's window inside the parent.
    CRect editorWindow()
    {
        XSync(display, False);
        Window root, grandParent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &grandParent, &children, &count);
        XWindowAttributes attributes{};
        if (count == 1)
            XGetWindowAttributes(display, children[0], &attributes);
        XFree(children);
        return CRect(0, 0, attributes.width, attributes.height);
    }
    // The display strip's menu, its last entry: the loudness panel.
    void chooseThePanelEntry(int at)
    {
        fakeMotion(300 * at, 10 * at);
        idle();
        fakeButton(true, 0, Button3);
        idle();
        fakeButton(false, 0, Button3);
        idle();
        click(300 * at, (30 + 9 * 14 + 7) * at);
    }
    // Shows the panel from the menu, plays the programme, hides it again: the host asked each
    // time, the window following.
    void showAndHide()
    {
        if (scale == 2)
            setenv("GDK_SCALE", "2", 1);
        setHostAcceptsSizeWindow(true);
        open();
        idle(3);
        EXPECT_EQ(editorWindow(), CRect(0, 0, kWidth * scale, kHeight * scale));
        chooseThePanelEntry(scale);
        expectCallsAfterIdles({{audioMasterSizeWindow, kWidth * scale,
                                static_cast<float>(kHeightWithPanel * scale)}});
        idle(3);
        EXPECT_EQ(editorWindow(), CRect(0, 0, kWidth * scale, kHeightWithPanel * scale));
        play(4.0);
        idle(2);
        if (scale == 1)
        {
            auto shot = screenshot(testOutputPath("editor-x11-loudness.png"));
            // The output's level fills the graph's lower part at its right end (the history runs
            // on the clock, and the programme played in a fraction of a second); the reset
            // button sits in the panel.
            EXPECT_EQ(shot->getPixel(433, 530), loudness_layout::kPeakColour);
            EXPECT_EQ(shot->getPixel(100, 530), loudness_layout::kGraphBackground);
            EXPECT_EQ(shot->getPixel(470, 526), editor_layout::kDisplayDark);
        }
        chooseThePanelEntry(scale);
        expectCallsAfterIdles(
            {{audioMasterSizeWindow, kWidth * scale, static_cast<float>(kHeight * scale)}});
        idle(3);
        EXPECT_EQ(editorWindow(), CRect(0, 0, kWidth * scale, kHeight * scale));
        dispatch(effEditClose);
        unsetenv("GDK_SCALE");
    }

    // Seconds of the test programme through the effect, idling about every 23 ms of it.
    void play(double seconds)
    {
        constexpr int kBlock = 512;
        std::vector<float> left(kBlock), right(kBlock);
        float* inputs[] = {left.data(), right.data()};
        float* outputs[] = {left.data(), right.data()};
        for (int block = 0; block < seconds * 44100 / kBlock; ++block)
        {
            for (int i = 0; i < kBlock; ++i)
            {
                const StereoSample frame = testSignalFrame(TestSignal::hot, block * kBlock + i, 44100.0);
                left[i] = frame.left;
                right[i] = frame.right;
            }
            effect->processReplacing(effect, inputs, outputs, kBlock);
            if (block % 2 == 1)
                dispatch(effEditIdle);
        }
    }
};

class EditorX11WithPanelAt200 : public EditorX11WithPanel
{
  protected:
    EditorX11WithPanelAt200() : EditorX11WithPanel(2) {}
};

// Xft.dpi in the server's resource database, as the desktop's `xrdb -merge` puts it there; the
// database as it was comes back at the end of the scope.
class ScopedXftDpi
{
  public:
    ScopedXftDpi(Display* display, const char* dpi) : display(display)
    {
        Window root = DefaultRootWindow(display);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, root, XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING,
                               &type, &format, &items, &remaining, &data) == Success &&
            data)
        {
            saved.assign(reinterpret_cast<char*>(data), items);
            hadDatabase = true;
        }
        XFree(data);
        const std::string merged = saved + "Xft.dpi:\t" + dpi + "\n";
        XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(merged.data()),
                        static_cast<int>(merged.size()));
        XSync(display, False);
    }
    ~ScopedXftDpi()
    {
        Window root = DefaultRootWindow(display);
        if (hadDatabase)
        {
            XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(saved.data()),
                            static_cast<int>(saved.size()));
        }
        else
        {
            XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
        }
        XSync(display, False);
    }

  private:
    Display* display;
    std::string saved;
    bool hadDatabase = false;
};
} // namespace

TEST_F(EditorX11, AHostOpensDrivesAndReopensTheEditor)
{
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);
    open();
    EXPECT_EQ(childWindows(parent), 1u);
    idle(5);

    drag(188, 193, 130); // the drive fader's handle (0.52), 63 of 252 pixels up
    expectCallsAfterIdles(bracketedEdits({{3, 0.77f}}));
    click(459, 76);               // Bypass
    click(549, 71);               // K14
    click(407, 24);               // the word-length menu opens its list below
    click(400, 120);              // its seventh row, " 8 bit"
    drag(57, 292, 252);           // the side gain knob up 40 of 200 pixels
    click(57, 292, XK_Control_L); // and back to its default
    click(413, 70, XK_Control_L); // the trim fader's handle to its default
    expectCallsAfterIdles(
        bracketedEdits({{2, 1.0f}, {1, 0.5f}, {16, 6.0f}, {4, 0.7f}, {4, 0.5f}, {0, 1.0f}}));
    EXPECT_EQ(effect->getParameter(effect, 16), 6.0f);
    auto shot = screenshot(testOutputPath("editor-x11-after-input.png"));
    EXPECT_EQ(shot->getPixel(549, 71), kSmallButtonLit) << "K14";
    EXPECT_EQ(shot->getPixel(459, 76), bitmapImage(1041)->getPixel(16, 49)) << "Bypass";

    dispatch(effSetProgram, 7); // K12, side gain 0.7
    idle();
    shot = screenshot(testOutputPath("editor-x11-program-7.png"));
    EXPECT_EQ(shot->getPixel(524, 71), kSmallButtonLit) << "K12";
    EXPECT_EQ(shot->getPixel(57, 292), knobCentre(1040, 70, 0.7f)) << "side gain";

    dispatch(effEditClose);
    EXPECT_EQ(childWindows(parent), 0u);
    effect->setParameter(effect, 9, 0.2f);
    open();
    idle(5);
    shot = screenshot(testOutputPath("editor-x11.png"));
    EXPECT_EQ(shot->getPixel(46, 159), knobCentre(1037, 50, 0.2f)) << "changed while closed";
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
    EXPECT_EQ(childWindows(parent), 0u);
}

TEST_F(EditorX11AtDesktopScale, XftDpiOrGdkScaleSizeTheEditorAndClicksLandOnTheScaledControls)
{
    {
        ScopedXftDpi dpi(display, "192");
        EXPECT_EQ(editorRect(), CRect(0, 0, 1200, 800));
        open();
        idle(5);
        EXPECT_EQ(editorRect(), CRect(0, 0, 1200, 800)) << "open";
        click(918, 152); // Bypass, at (459, 76) of the scale-1 panel
        expectCallsAfterIdles(bracketedEdits({{2, 1.0f}}));
        dispatch(effEditClose);
    }
    ScopedXftDpi dpi(display, "144");
    EXPECT_EQ(editorRect(), CRect(0, 0, 900, 600));
    setenv("GDK_SCALE", "2", 1);
    EXPECT_EQ(editorRect(), CRect(0, 0, 1200, 800)) << "GDK_SCALE wins over Xft.dpi";
    unsetenv("GDK_SCALE");
}

TEST_F(EditorX11WithPanel, TheMenuShowsAndHidesTheLoudnessPanel)
{
    showAndHide();
}

TEST_F(EditorX11WithPanelAt200, TheMenuShowsAndHidesTheLoudnessPanel)
{
    showAndHide();
}
