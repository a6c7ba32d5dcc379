// The editor as a CLAP host embeds it under an X server: created for X11, parented in the host's
// window, idled only through the host's timer and its watch on the editor's display connection,
// clicked through XTest. Edits reach the host as gesture begin, value, gesture end at the next
// flush. Skipped without DISPLAY; run through scripts/with-display.
#include "X11TestWindow.h"

#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "ClapTestHost.h"
#include "parameters/Parameters.h"
#include "resources/PanelGeometry.h"

namespace
{
constexpr int kWidthPx = 600;
constexpr int kHeightPx = 400;
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
const std::string kOutputFolder = CLAP_TEST_OUTPUT_DIR;

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

class ClapGuiX11 : public X11TestWindow
{
  protected:
    ClapGuiX11() : X11TestWindow(kWidthPx, kHeightPx) {}

    void SetUp() override
    {
        // Neither a size remembered on this machine nor the desktop's scale may decide.
        std::filesystem::remove_all(kOutputFolder + "/gui-config");
        setenv("XDG_CONFIG_HOME", (kOutputFolder + "/gui-config").c_str(), 1);
        unsetenv("GDK_SCALE");
        X11TestWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        clap = std::make_unique<ClapInstance>();
        gui = clap->extension<clap_plugin_gui>(kClapExtGui);
        ASSERT_NE(gui, nullptr);
        timerSupport = clap->extension<clap_plugin_timer_support>(kClapExtTimerSupport);
        fdSupport = clap->extension<clap_plugin_posix_fd_support>(kClapExtPosixFdSupport);
        ASSERT_NE(timerSupport, nullptr);
        ASSERT_NE(fdSupport, nullptr);
    }
    void TearDown() override
    {
        clap.reset();
        X11TestWindow::TearDown();
    }

    void open()
    {
        ASSERT_TRUE(gui->create(clap->plugin, kClapWindowApiX11, false));
        ASSERT_TRUE(gui->set_scale(clap->plugin, 1.0));
        clap_window window{};
        window.api = kClapWindowApiX11;
        window.x11 = parent;
        ASSERT_TRUE(gui->set_parent(clap->plugin, &window));
        ASSERT_TRUE(gui->show(clap->plugin));
    }

    // The host's main loop: its timers fire, and the watched connections are read when ready.
    void idle(int periods = 2)
    {
        for (int period = 0; period < periods; ++period)
        {
            for (const int fd : std::set<int>(clap->host.watchedFds))
            {
                pollfd ready{fd, POLLIN, 0};
                if (poll(&ready, 1, 0) > 0)
                    fdSupport->on_fd(clap->plugin, fd, kClapPosixFdRead);
            }
            for (const clap_id timer : std::set<clap_id>(clap->host.timerIds))
                timerSupport->on_timer(clap->plugin, timer);
            std::this_thread::sleep_for(kIdlePeriod);
        }
    }

    void click(const PixelRect& rect)
    {
        fakeMotion((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        idle();
        fakeButton(true);
        idle();
        fakeButton(false);
        idle();
    }

    Window editorWindow()
    {
        XSync(display, False);
        Window root, grandParent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parent, &root, &grandParent, &children, &count);
        const Window child = count == 1 ? children[0] : 0;
        XFree(children);
        return child;
    }

    std::unique_ptr<ClapInstance> clap;
    const clap_plugin_gui* gui = nullptr;
    const clap_plugin_timer_support* timerSupport = nullptr;
    const clap_plugin_posix_fd_support* fdSupport = nullptr;
};
} // namespace

TEST_F(ClapGuiX11, TheWindowIsMappedWhenSetParentReturns)
{
    EXPECT_TRUE(gui->is_api_supported(clap->plugin, kClapWindowApiX11, false));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin, kClapWindowApiX11, true));
    EXPECT_FALSE(gui->is_api_supported(clap->plugin, "win32", false));
    EXPECT_FALSE(gui->create(clap->plugin, "wayland", false));
    open();
    ASSERT_FALSE(HasFatalFailure());
    // Asked on our own connection, with no idle in between: the server has it already.
    const Window child = editorWindow();
    ASSERT_NE(child, 0u);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, child, &attributes), 0);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(attributes.width, kWidthPx);
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(gui->get_size(clap->plugin, &width, &height));
    EXPECT_EQ(width, 600u);
    EXPECT_EQ(height, 400u);
    EXPECT_EQ(clap->host.timerIds.size(), 1u);
    EXPECT_EQ(clap->host.watchedFds.size(), 1u);
    idle(5);
    screenshot(kOutputFolder + "/clap-gui.png");
    gui->destroy(clap->plugin);
    EXPECT_EQ(editorWindow(), 0u);
    EXPECT_TRUE(clap->host.timerIds.empty());
    EXPECT_TRUE(clap->host.watchedFds.empty());
}

TEST_F(ClapGuiX11, AClickOnBypassReachesTheHostAsOneGesture)
{
    open();
    ASSERT_FALSE(HasFatalFailure());
    idle(5);
    click(layout::kBypass);
    idle(3);
    EXPECT_EQ(clap->value(kBypass), 1.0);
    EXPECT_GE(clap->host.flushRequests, 1);
    EventList none;
    clap->flush(none);
    ASSERT_EQ(clap->pushed.size(), 3u);
    EXPECT_EQ(clap->pushed[0].type, kClapEventParamGestureBegin);
    EXPECT_EQ(clap->pushed[1].type, kClapEventParamValue);
    EXPECT_EQ(clap->pushed[1].value, 1.0);
    EXPECT_EQ(clap->pushed[2].type, kClapEventParamGestureEnd);
    for (const OutputEvent& event : clap->pushed)
        EXPECT_EQ(event.id, static_cast<clap_id>(kBypass));

    // The host's automation moves the button back; the editor follows without an edit.
    clap->pushed.clear();
    EventList off;
    off.addValue(0, kBypass, 0.0);
    clap->flush(off);
    idle(3);
    EXPECT_TRUE(clap->pushed.empty());
    gui->destroy(clap->plugin);
}

TEST_F(ClapGuiX11, TheHostResizesToTheEditorsSizes)
{
    EXPECT_TRUE(gui->can_resize(clap->plugin));
    std::uint32_t width = 1000, height = 10;
    ASSERT_TRUE(gui->adjust_size(clap->plugin, &width, &height));
    EXPECT_EQ(width * 2, height * 3);
    open();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(gui->set_size(clap->plugin, 901, 600));
    ASSERT_TRUE(gui->set_size(clap->plugin, 900, 600));
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, 900);
    EXPECT_EQ(attributes.height, 600);
    ASSERT_TRUE(gui->get_size(clap->plugin, &width, &height));
    EXPECT_EQ(width, 900u);
    idle(3);
    // The rebuilt window has a connection of its own, and the host watches that one.
    EXPECT_EQ(clap->host.watchedFds.size(), 1u);
    gui->destroy(clap->plugin);
}

// The editor's size menu (a right click on the display strip): the host is asked, and once it
// agrees the editor is rebuilt at that size in the same parent.
TEST_F(ClapGuiX11, TheSizeMenuAsksTheHostToResize)
{
    open();
    ASSERT_FALSE(HasFatalFailure());
    idle(5);
    fakeMotion((layout::kDisplayArea.left + layout::kDisplayArea.right) / 2,
               (layout::kDisplayArea.top + layout::kDisplayArea.bottom) / 2);
    idle();
    for (const bool press : {true, false})
    {
        XTestFakeButtonEvent(display, Button3, press, CurrentTime);
        XFlush(display);
        idle();
    }
    idle(3);
    // From the current 100 % one entry down: 125 %.
    for (const KeySym key : {XK_Down, XK_Return})
    {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
        XFlush(display);
        idle(2);
    }
    idle(5);
    using Size = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(clap->host.requestedSizes, (std::vector<Size>{{750, 500}}));
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, editorWindow(), &attributes), 0);
    EXPECT_EQ(attributes.width, 750);
    EXPECT_EQ(clap->host.watchedFds.size(), 1u);
    gui->destroy(clap->plugin);
}

TEST_F(ClapGuiX11, AHundredCreateDestroyCyclesLeaveNothing)
{
    constexpr int kCycles = 100;
    constexpr int kWarmUpCycles = 10; // library caches (fonts, cairo) fill once
#ifdef CLAP_TEST_SANITIZED
    constexpr long kAllowedGrowthBytes = LONG_MAX;
#else
    constexpr long kAllowedGrowthBytes = 2 * 1024 * 1024;
#endif
    long residentAfterWarmUp = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        if (cycle == kWarmUpCycles)
            residentAfterWarmUp = residentBytes();
        open();
        ASSERT_FALSE(HasFatalFailure()) << "cycle " << cycle;
        timerSupport->on_timer(clap->plugin, *clap->host.timerIds.begin());
        ASSERT_EQ(childWindows(parent), 1u) << "cycle " << cycle;
        gui->destroy(clap->plugin);
        ASSERT_EQ(childWindows(parent), 0u) << "cycle " << cycle;
        ASSERT_TRUE(clap->host.timerIds.empty());
        ASSERT_TRUE(clap->host.watchedFds.empty());
    }
    EXPECT_LE(residentBytes() - residentAfterWarmUp, kAllowedGrowthBytes);
}
