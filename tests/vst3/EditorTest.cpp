// The editor through IPlugView under an X server, as a Linux VST3 host embeds it: driven only
// by the host's run loop (a test run loop here, ticked by the test), drawn, clicked through
// XTest; edits reach the host's component handler bracketed by begin and end. Skipped without
// DISPLAY; run through scripts/with-display.
#include "X11TestWindow.h"

#include <X11/keysym.h>

#include <poll.h>

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Vst3TestHost.h"
#include "parameters/Parameters.h"
#include "resources/PanelGeometry.h"
#include "vst3/Vst3View.h"

namespace
{
constexpr int kWidthPx = 600;
constexpr int kHeightPx = 400;
constexpr auto kTickPeriod = std::chrono::milliseconds(20);
const std::string kOutputFolder = VST3_TEST_OUTPUT_DIR;

// The host's run loop: handlers kept as registered; the test ticks every timer and hands every
// readable descriptor to its handler.
class TestRunLoop : public vst3::IRunLoop
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIRunLoopIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult registerEventHandler(vst3::IEventHandler* handler, int fd) override
    {
        events.emplace_back(handler, fd);
        return vst3::kResultOk;
    }
    vst3::tresult unregisterEventHandler(vst3::IEventHandler* handler) override
    {
        events.erase(std::remove_if(events.begin(), events.end(),
                                    [handler](const auto& entry)
                                    { return entry.first == handler; }),
                     events.end());
        return vst3::kResultOk;
    }
    vst3::tresult registerTimer(vst3::ITimerHandler* handler, std::uint64_t) override
    {
        timers.push_back(handler);
        return vst3::kResultOk;
    }
    vst3::tresult unregisterTimer(vst3::ITimerHandler* handler) override
    {
        timers.erase(std::remove(timers.begin(), timers.end(), handler), timers.end());
        return vst3::kResultOk;
    }
    void tick()
    {
        const auto ready = events;
        for (const auto& [handler, fd] : ready)
        {
            pollfd readable{fd, POLLIN, 0};
            if (poll(&readable, 1, 0) > 0)
                handler->onFDIsSet(fd);
        }
        const auto due = timers;
        for (vst3::ITimerHandler* timer : due)
            timer->onTimer();
    }

    std::vector<std::pair<vst3::IEventHandler*, int>> events;
    std::vector<vst3::ITimerHandler*> timers;
};

class TestPlugFrame : public vst3::IPlugFrame
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        if (vst3::sameTuid(iid, vst3::kIRunLoopIid) && offersRunLoop)
            return runLoop.queryInterface(iid, object);
        return answerOnly(this, vst3::kIPlugFrameIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult resizeView(vst3::IPlugView* view, vst3::ViewRect* size) override
    {
        sizes.emplace_back(size->right - size->left, size->bottom - size->top);
        return view->onSize(size);
    }

    TestRunLoop runLoop;
    bool offersRunLoop = true;
    std::vector<std::pair<int, int>> sizes;
};

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

class Vst3EditorX11 : public X11TestWindow
{
  protected:
    Vst3EditorX11() : X11TestWindow(kWidthPx, kHeightPx) {}

    void SetUp() override
    {
        // Neither a size remembered on this machine nor the desktop's scale may decide.
        setenv("XDG_CONFIG_HOME", (kOutputFolder + "/editor-config").c_str(), 1);
        unsetenv("GDK_SCALE");
        X11TestWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host = std::make_unique<HostedVst3>();
    }
    void TearDown() override
    {
        host.reset();
        X11TestWindow::TearDown();
    }

    vst3::IPlugView* createView()
    {
        vst3::IPlugView* view = host->controller->createView(vst3::kEditorViewType);
        if (view != nullptr)
            view->setFrame(&frame);
        return view;
    }
    void tick(int periods = 2)
    {
        for (int period = 0; period < periods; ++period)
        {
            frame.runLoop.tick();
            std::this_thread::sleep_for(kTickPeriod);
        }
    }
    void click(const PixelRect& rect)
    {
        fakeMotion((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        tick();
        fakeButton(true);
        tick();
        fakeButton(false);
        tick(5);
    }

    std::unique_ptr<HostedVst3> host;
    TestPlugFrame frame;
};

// Whether the pixels of rect differ between two screenshots.
bool changed(COffscreenContext& before, COffscreenContext& after, const PixelRect& rect)
{
    for (int y = rect.top; y < rect.bottom; ++y)
    {
        for (int x = rect.left; x < rect.right; ++x)
        {
            if (before.getPixel(x, y) != after.getPixel(x, y))
                return true;
        }
    }
    return false;
}

// Distinct colours in a rectangle of the picture.
int colours(COffscreenContext& shot, const PixelRect& rect)
{
    cairo_surface_t* surface = shot.getSurface();
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::vector<std::uint32_t> seen;
    for (int y = rect.top; y < rect.bottom; ++y)
    {
        for (int x = rect.left; x < rect.right; ++x)
            seen.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x]);
    }
    std::sort(seen.begin(), seen.end());
    return static_cast<int>(std::unique(seen.begin(), seen.end()) - seen.begin());
}
} // namespace

TEST_F(Vst3EditorX11, AttachedDrawnAndABypassClickIsABracketedEdit)
{
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(vst3::kPlatformTypeX11EmbedWindowID),
              vst3::kResultTrue);
    EXPECT_NE(view->isPlatformTypeSupported("HWND"), vst3::kResultTrue);
    vst3::ViewRect size{};
    ASSERT_EQ(view->getSize(&size), vst3::kResultOk);
    EXPECT_EQ(size.right - size.left, kWidthPx);
    EXPECT_EQ(size.bottom - size.top, kHeightPx);

    ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    EXPECT_EQ(childWindows(parent), 1u);
    // Driven by the host's loop alone: one timer and the X connection.
    EXPECT_EQ(frame.runLoop.timers.size(), 1u);
    EXPECT_EQ(frame.runLoop.events.size(), 1u);
    tick(5);
    const auto shot = screenshot(kOutputFolder + "/vst3-editor.png");
    EXPECT_GT(colours(*shot, {0, 0, kWidthPx, kHeightPx}), 100) << "the panel is drawn";

    host->handler.calls.clear();
    click(layout::kBypass);
    EXPECT_EQ(host->handler.calls, (std::vector<std::string>{"begin 2", "perform 2", "end 2"}));
    EXPECT_EQ(host->handler.lastValue, 1.0);
    EXPECT_EQ(host->controller->getParamNormalized(kBypass), 1.0);

    EXPECT_EQ(view->removed(), vst3::kResultOk);
    EXPECT_EQ(childWindows(parent), 0u);
    EXPECT_TRUE(frame.runLoop.timers.empty());
    EXPECT_TRUE(frame.runLoop.events.empty());
    view->release();
}

TEST_F(Vst3EditorX11, WithoutTheHostsRunLoopItDoesNotOpen)
{
    frame.offersRunLoop = false;
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    EXPECT_NE(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    EXPECT_EQ(childWindows(parent), 0u);
    view->release();
}

TEST_F(Vst3EditorX11, ContentScaleSizesTheEditorAndTellsTheFrame)
{
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    auto* scaling =
        queried<vst3::IPlugViewContentScaleSupport>(view, vst3::kIPlugViewContentScaleSupportIid);
    ASSERT_NE(scaling, nullptr);
    EXPECT_EQ(scaling->setContentScaleFactor(2.0f), vst3::kResultOk);
    vst3::ViewRect size{};
    view->getSize(&size);
    EXPECT_EQ(size.right, 2 * kWidthPx);
    EXPECT_EQ(size.bottom, 2 * kHeightPx);

    ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    tick();
    // While open the window is rebuilt at the new scale and the host told its size.
    EXPECT_EQ(scaling->setContentScaleFactor(1.5f), vst3::kResultOk);
    EXPECT_EQ(frame.sizes, (std::vector<std::pair<int, int>>{{900, 600}}));
    tick();
    EXPECT_EQ(childWindows(parent), 1u);
    view->removed();
    scaling->release();
    view->release();
}

TEST_F(Vst3EditorX11, HundredAttachRemoveCyclesLeaveNothing)
{
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    // One cycle first, so caches that live for the process are filled.
    ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    tick(1);
    view->removed();
    const int descriptors = openDescriptors();
    const long resident = residentBytes();
    for (int cycle = 0; cycle < 100; ++cycle)
    {
        ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID),
                  vst3::kResultOk);
        frame.runLoop.tick();
        ASSERT_EQ(view->removed(), vst3::kResultOk);
    }
    EXPECT_EQ(childWindows(parent), 0u);
    EXPECT_EQ(openDescriptors(), descriptors) << "every X connection closed";
#ifdef VST3_TEST_SANITIZED
    constexpr long kAllowedGrowthBytes = LONG_MAX;
#else
    constexpr long kAllowedGrowthBytes = 2 * 1024 * 1024;
#endif
    EXPECT_LE(residentBytes() - resident, kAllowedGrowthBytes);
    EXPECT_TRUE(frame.runLoop.timers.empty());
    EXPECT_TRUE(frame.runLoop.events.empty());
    view->release();
}

// The editor's size menu (a right click on the display strip): the host's frame is asked to
// resize, and the editor rebuilds at that size.
TEST_F(Vst3EditorX11, TheSizeMenuResizesThroughTheHostsFrame)
{
    std::filesystem::remove_all(kOutputFolder + "/editor-config");
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    tick(3);
    fakeMotion((layout::kDisplayArea.left + layout::kDisplayArea.right) / 2,
               (layout::kDisplayArea.top + layout::kDisplayArea.bottom) / 2);
    tick();
    for (const bool press : {true, false})
    {
        XTestFakeButtonEvent(display, Button3, press, CurrentTime);
        XFlush(display);
        tick();
    }
    tick(3);
    // From the current 100 % one entry down: 125 %.
    for (const KeySym key : {XK_Down, XK_Return})
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
        XFlush(display);
        tick(2);
    }
    tick(5);
    EXPECT_EQ(frame.sizes, (std::vector<std::pair<int, int>>{{750, 500}}));
    vst3::ViewRect size{};
    view->getSize(&size);
    EXPECT_EQ(size.right, 750);
    EXPECT_EQ(size.bottom, 500);
    EXPECT_EQ(childWindows(parent), 1u);
    view->removed();
    view->release();
    std::filesystem::remove_all(kOutputFolder + "/editor-config");
}

// Hosts such as Ardour connect the halves through proxies: the processor's message still lends
// the editor its engine, so the meters move with the audio.
TEST_F(Vst3EditorX11, MetersFollowTheEngineWhenTheHostConnectsThroughProxies)
{
    host = std::make_unique<HostedVst3>(vst3::kSample32, HostedVst3::Connection::throughProxies);
    EXPECT_EQ(host->toController.forwarded, 1);
    vst3::IPlugView* view = createView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->attached(parentHandle(), vst3::kPlatformTypeX11EmbedWindowID), vst3::kResultOk);
    // Long enough for the meters' fall to end.
    tick(40);
    const auto atRest = screenshot(kOutputFolder + "/vst3-meters-rest.png");
    tick(2);
    EXPECT_FALSE(changed(*atRest, *screenshot(kOutputFolder + "/vst3-meters-rest-again.png"),
                         layout::kOutputPeakLeft));
    std::vector<float> loud(4096);
    for (std::size_t i = 0; i < loud.size(); ++i)
        loud[i] = 0.9f * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    float* channels[2] = {loud.data(), loud.data()};
    std::vector<float> left(4096), right(4096);
    float* out[2] = {left.data(), right.data()};
    host->process(channels, out, 4096);
    tick(5);
    const auto playing = screenshot(kOutputFolder + "/vst3-meters-playing.png");
    EXPECT_TRUE(changed(*atRest, *playing, layout::kOutputPeakLeft));
    view->removed();
    view->release();
}
