// The UI library as an LV2 host drives it under an X server: found through lilv, instantiated
// in a parent window with the host's features, idled through ui:idleInterface, fed with port
// events, clicked through XTest; it talks back only through write_function, ui:touch and
// ui:resize. Skipped without DISPLAY; run through scripts/with-display.
#include "X11TestWindow.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <X11/keysym.h>
#include <dlfcn.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "Lv2Bundle.h"
#include "editor/LoudnessLayout.h"
#include "resources/PanelGeometry.h"

namespace
{
constexpr int kWidthPx = 600;
constexpr int kHeightPx = 400;
constexpr auto kIdlePeriod = std::chrono::milliseconds(20);
constexpr int kPatiencePeriods = 250; // five seconds of idles
const std::string kOutputFolder = LV2_TEST_OUTPUT_DIR;

struct PortWrite
{
    std::uint32_t port;
    float value;
    bool operator==(const PortWrite& other) const
    {
        return port == other.port && value == other.value;
    }
};

struct Touch
{
    std::uint32_t port;
    bool grabbed;
    bool operator==(const Touch& other) const
    {
        return port == other.port && grabbed == other.grabbed;
    }
};

// The UI's binary as lilv finds it in the bundle, loaded for the whole test process.
const LV2UI_Descriptor* uiDescriptor()
{
    static const LV2UI_Descriptor* descriptor = []() -> const LV2UI_Descriptor*
    {
        LilvUIs* uis = lilv_plugin_get_uis(bundlePlugin());
        const LilvUI* ui = lilv_uis_get_by_uri(uis, lv2Uri(lv2_identity::kUiUri).get());
        if (ui == nullptr || !lilv_ui_is_a(ui, lv2Uri(LV2_UI__X11UI).get()))
            return nullptr;
        char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        lilv_free(path);
        lilv_uis_free(uis);
        if (library == nullptr)
            return nullptr;
        const auto entry =
            reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        return entry != nullptr ? entry(0) : nullptr;
    }();
    return descriptor;
}

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

class Lv2UiX11 : public X11TestWindow
{
  protected:
    Lv2UiX11() : X11TestWindow(kWidthPx, kHeightPx) {}

    void SetUp() override
    {
        // Neither a size remembered on this machine nor the desktop's scale may decide.
        setenv("XDG_CONFIG_HOME", (kOutputFolder + "/ui-config").c_str(), 1);
        unsetenv("GDK_SCALE");
        X11TestWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        descriptor = uiDescriptor();
        ASSERT_NE(descriptor, nullptr);
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idleInterface, nullptr);
    }
    void TearDown() override
    {
        if (handle != nullptr)
            descriptor->cleanup(handle);
        X11TestWindow::TearDown();
    }

    // With the host's options when given (ui:scaleFactor).
    void instantiate(const LV2_Options_Option* options = nullptr)
    {
        const LV2_Feature parentFeature{LV2_UI__parent, parentHandle()};
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Feature touchFeature{LV2_UI__touch, &touch};
        const LV2_Feature mapFeature{LV2_URID__map, bundleWorld()->urids().mapFeatureData()};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                         const_cast<LV2_Options_Option*>(options)};
        const LV2_Feature* features[] = {&parentFeature,
                                         &resizeFeature,
                                         &touchFeature,
                                         &mapFeature,
                                         options ? &optionsFeature : nullptr,
                                         nullptr};
        LV2UI_Widget widget = nullptr;
        handle = descriptor->instantiate(descriptor, lv2_identity::kPluginUri, "", recordWrite,
                                         this, &widget, features);
        ASSERT_NE(handle, nullptr);
        EXPECT_NE(widget, nullptr);
        this->widget = reinterpret_cast<Window>(widget);
    }
    void cleanup()
    {
        descriptor->cleanup(handle);
        handle = nullptr;
    }
    void idle(int periods = 2)
    {
        for (int period = 0; period < periods; ++period)
        {
            EXPECT_EQ(idleInterface->idle(handle), 0);
            std::this_thread::sleep_for(kIdlePeriod);
        }
    }
    void portEvent(std::uint32_t port, float value)
    {
        descriptor->port_event(handle, port, sizeof value, 0, &value);
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
    // Idles until the UI has written as many values as expected, or five seconds have passed.
    void idleForWrites(std::size_t count)
    {
        for (int period = 0; period < kPatiencePeriods && writes.size() < count; ++period)
            idle(1);
    }
    // Whether the pixels of rect differ between two screenshots.
    static bool changed(COffscreenContext& before, COffscreenContext& after, const PixelRect& rect)
    {
        for (int y = rect.top; y < rect.bottom; ++y)
        {
            for (int x = rect.left; x < rect.right; ++x)
                if (before.getPixel(x, y) != after.getPixel(x, y))
                    return true;
        }
        return false;
    }

    static void recordWrite(LV2UI_Controller controller, std::uint32_t port,
                            std::uint32_t bufferSize, std::uint32_t protocol, const void* buffer)
    {
        auto* self = static_cast<Lv2UiX11*>(controller);
        EXPECT_EQ(bufferSize, sizeof(float));
        EXPECT_EQ(protocol, 0u);
        self->writes.push_back({port, *static_cast<const float*>(buffer)});
    }
    static int recordResize(LV2UI_Feature_Handle self, int width, int height)
    {
        static_cast<Lv2UiX11*>(self)->sizes.emplace_back(width, height);
        return 0;
    }
    static void recordTouch(LV2UI_Feature_Handle self, std::uint32_t port, bool grabbed)
    {
        static_cast<Lv2UiX11*>(self)->touches.push_back({port, grabbed});
    }

    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    LV2UI_Handle handle = nullptr;
    Window widget = 0;
    LV2UI_Resize resize{this, recordResize};
    LV2UI_Touch touch{this, recordTouch};
    std::vector<PortWrite> writes;
    std::vector<std::pair<int, int>> sizes;
    std::vector<Touch> touches;
};
} // namespace

TEST_F(Lv2UiX11, EmbedsTheEditorFollowsPortsAndWritesEdits)
{
    instantiate();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(childWindows(parent), 1u);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{kWidthPx, kHeightPx}}));
    idle(5);
    const auto atRest = screenshot(kOutputFolder + "/lv2-ui-rest.png");

    // The trim fader to -36 dB (a seventh of its travel), meters up, held peak 0.5.
    portEvent(kOutputTrim, -36.0f);
    portEvent(lv2_port::kFirstMeter + lv2_port::kPeakLeft, 0.9f);
    portEvent(lv2_port::kFirstMeter + lv2_port::kLimiterGainRight, 0.5f);
    portEvent(lv2_port::kFirstMeter + lv2_port::kPeakHoldLeft, 0.5f);
    idle(5);
    const auto moved = screenshot(kOutputFolder + "/lv2-ui-moved.png");
    EXPECT_TRUE(changed(*atRest, *moved, layout::kTrimFader));
    EXPECT_TRUE(changed(*atRest, *moved, layout::kOutputPeakLeft));
    EXPECT_TRUE(changed(*atRest, *moved, layout::kLimiterGainRight));
    EXPECT_TRUE(changed(*atRest, *moved, layout::kPeakReadout));
    EXPECT_FALSE(changed(*atRest, *moved, layout::kDriveFader));
    EXPECT_TRUE(writes.empty()); // following the host is no edit

    click(layout::kBypass);
    idleForWrites(1);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), (PortWrite{kBypass, 1.0f}));
    // The press is one gesture for the host's touch automation.
    EXPECT_EQ(touches, (std::vector<Touch>{{kBypass, true}, {kBypass, false}}));

    // The held-peak readout flips the reset port, so every click is a change.
    writes.clear();
    click(layout::kPeakReadout);
    idleForWrites(1);
    click(layout::kPeakReadout);
    idleForWrites(2);
    EXPECT_EQ(writes, (std::vector<PortWrite>{{lv2_port::kPeakHoldReset, 1.0f},
                                              {lv2_port::kPeakHoldReset, 0.0f}}));

    cleanup();
    EXPECT_EQ(childWindows(parent), 0u);
}

TEST_F(Lv2UiX11, TheHostsScaleFactorSizesTheEditor)
{
    Lv2UridMap& urids = bundleWorld()->urids();
    const LV2_URID scaleKey = urids.map(LV2_UI__scaleFactor);
    const float twice = 2.0f;
    const double half = 1.5;
    const float tooLarge = 7.0f;
    struct Case
    {
        const char* name;
        const char* type;
        const void* value;
        std::uint32_t size;
        int widthPx;
        int heightPx;
    };
    const Case cases[] = {
        {"float 2", LV2_ATOM__Float, &twice, sizeof twice, 1200, 800},
        {"double 1.5", LV2_ATOM__Double, &half, sizeof half, 900, 600},
        {"beyond the largest scale", LV2_ATOM__Float, &tooLarge, sizeof tooLarge, 1800, 1200},
        {"none", nullptr, nullptr, 0, kWidthPx, kHeightPx},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const LV2_Options_Option options[] = {
            {LV2_OPTIONS_INSTANCE, 0, c.value ? scaleKey : 0, c.size,
             c.type ? urids.map(c.type) : 0, c.value},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
        };
        sizes.clear();
        instantiate(options);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{c.widthPx, c.heightPx}}));
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, widget, &attributes);
        EXPECT_EQ(attributes.width, c.widthPx);
        EXPECT_EQ(attributes.height, c.heightPx);
        cleanup();
    }
}

// The editor's size menu (a right click on the display strip) while open: the host keeps the
// widget it was given, so the editor keeps its window and takes the size at the next opening.
TEST_F(Lv2UiX11, ASizeChosenWhileOpenComesAtTheNextOpening)
{
    std::filesystem::remove_all(kOutputFolder + "/ui-config");
    instantiate();
    ASSERT_FALSE(HasFatalFailure());
    idle(5);
    const auto before = screenshot(kOutputFolder + "/lv2-ui-before-size.png");
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
    const auto after = screenshot(kOutputFolder + "/lv2-ui-after-size.png");
    EXPECT_TRUE(changed(*before, *after, layout::kStatusLine)); // "Size 125 % at the next opening"
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{kWidthPx, kHeightPx}}));
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, widget, &attributes), 0);
    EXPECT_EQ(attributes.width, kWidthPx);
    cleanup();

    sizes.clear();
    instantiate();
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{750, 500}}));
    cleanup();
    std::filesystem::remove_all(kOutputFolder + "/ui-config");
}

TEST_F(Lv2UiX11, AHundredInstantiateCleanupCyclesLeaveNothing)
{
    constexpr int kCycles = 100;
    constexpr int kWarmUpCycles = 10; // library caches (fonts, cairo) fill once
    // The sanitizers' quarantine keeps freed memory resident; there the leak check at exit
    // covers every cycle instead.
#ifdef LV2_TEST_SANITIZED
    constexpr long kAllowedGrowthBytes = LONG_MAX;
#else
    constexpr long kAllowedGrowthBytes = 2 * 1024 * 1024;
#endif
    long residentAfterWarmUp = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        if (cycle == kWarmUpCycles)
            residentAfterWarmUp = residentBytes();
        instantiate();
        ASSERT_FALSE(HasFatalFailure()) << "cycle " << cycle;
        EXPECT_EQ(idleInterface->idle(handle), 0);
        ASSERT_EQ(childWindows(parent), 1u) << "cycle " << cycle;
        cleanup();
        ASSERT_EQ(childWindows(parent), 0u) << "cycle " << cycle;
    }
    EXPECT_LE(residentBytes() - residentAfterWarmUp, kAllowedGrowthBytes);
}

TEST_F(Lv2UiX11, RefusesWithoutAParentWindowOrForAnotherPlugin)
{
    LV2UI_Widget widget = nullptr;
    const LV2_Feature* noFeatures[] = {nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, lv2_identity::kPluginUri, "", recordWrite, this,
                                      &widget, noFeatures),
              nullptr);
    const LV2_Feature parentFeature{LV2_UI__parent, parentHandle()};
    const LV2_Feature* parentOnly[] = {&parentFeature, nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, "urn:another:plugin", "", recordWrite, this,
                                      &widget, parentOnly),
              nullptr);
    EXPECT_EQ(childWindows(parent), 0u);
}

namespace
{
// A parent with room for the loudness panel below the editor.
class Lv2UiX11WithPanel : public Lv2UiX11
{
  protected:
    Lv2UiX11WithPanel() { resizeParent(kWidthPx, loudness_layout::kPanel.bottom); }
};
} // namespace

// The UI shows the loudness panel from the plug-in's ports alone: figures as port events, the
// reset as a flip of the reset port.
TEST_F(Lv2UiX11WithPanel, TheLoudnessPanelReadsThePortsAndResetsThroughOne)
{
    const std::filesystem::path setting =
        std::filesystem::path(kOutputFolder) / "ui-config" / "varnholt-pro" / "loudness-panel";
    std::filesystem::create_directories(setting.parent_path());
    std::ofstream(setting) << "1\n";
    instantiate();
    EXPECT_EQ(sizes,
              (std::vector<std::pair<int, int>>{{kWidthPx, loudness_layout::kPanel.bottom}}));
    const float figures[] = {-14.2f, -14.0f, -14.3f, 5.5f, -1.0f};
    for (int figure = 0; figure < 5; ++figure)
        portEvent(lv2_port::kFirstMeter + lv2_port::kMomentaryLufs + figure, figures[figure]);
    idle(5);
    auto shot = screenshot(kOutputFolder + "/lv2-ui-loudness.png");
    // -14.3 LUFS is within 1 LU of the default target, -14 LUFS: its readout is lit.
    const CRect readouts = editor_layout::scaledRect(loudness_layout::kReadouts, 1.0);
    const long row = readouts.height() / loudness_layout::kReadoutRows;
    bool lit = false;
    for (long y = readouts.top + 2 * row; y < readouts.top + 3 * row; ++y)
    {
        for (long x = readouts.left; x < readouts.right; ++x)
            lit = lit || shot->getPixel(x, y).sameRgb(loudness_layout::kOnTargetColour);
    }
    EXPECT_TRUE(lit);

    click(loudness_layout::kResetButton);
    idleForWrites(1);
    EXPECT_EQ(writes, (std::vector<PortWrite>{{lv2_port::kLoudnessReset, 1.0f}}));
    cleanup();
    std::filesystem::remove(setting);
}
