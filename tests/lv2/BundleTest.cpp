// The bundle as lilv reads it from the build tree and the renderer's LV2 code presents it: ports
// in the order hosts number them, units, ranges, scale points, latency and presets, checked
// against the shared tables.
#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstring>
#include <set>

#include "Lv2Bundle.h"
#include "lv2/MeterPorts.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"

namespace
{
constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";

const LilvPort* port(std::uint32_t index)
{
    return lilv_plugin_get_port_by_index(bundlePlugin(), index);
}

bool portIs(std::uint32_t index, const char* classUri)
{
    return lilv_port_is_a(bundlePlugin(), port(index), lv2Uri(classUri).get());
}

bool portHas(std::uint32_t index, const char* propertyUri)
{
    return lilv_port_has_property(bundlePlugin(), port(index), lv2Uri(propertyUri).get());
}

std::string symbol(std::uint32_t index)
{
    return portSymbol(index);
}

std::string unit(std::uint32_t index)
{
    LilvNodes* units =
        lilv_port_get_value(bundlePlugin(), port(index), lv2Uri(LV2_UNITS__unit).get());
    const std::string text =
        lilv_nodes_size(units) == 1 ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
    lilv_nodes_free(units);
    return text;
}

struct Range
{
    float minimum;
    float maximum;
    float defaultValue;
};

Range range(std::uint32_t index)
{
    LilvNode *defaultNode = nullptr, *minimum = nullptr, *maximum = nullptr;
    lilv_port_get_range(bundlePlugin(), port(index), &defaultNode, &minimum, &maximum);
    const Range r{lilv_node_as_float(minimum), lilv_node_as_float(maximum),
                  defaultNode ? lilv_node_as_float(defaultNode) : NAN};
    lilv_node_free(defaultNode);
    lilv_node_free(minimum);
    lilv_node_free(maximum);
    return r;
}

std::string trimmed(const char* padded)
{
    std::string text(padded);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Restores a preset through lilv, counting the port values it holds and those not given as
// floats, which some hosts would not read.
struct PresetValues
{
    int floats = 0;
    int others = 0;
};

PresetValues countPresetValues(const std::string& uri)
{
    Lv2World& world = *bundleWorld();
    LilvState* state = lilv_state_new_from_world(world.get(), world.urids().mapFeatureData(),
                                                 lv2Uri(uri.c_str()).get());
    PresetValues counted;
    if (state == nullptr)
        return counted;
    struct Context
    {
        PresetValues* counted;
        LV2_URID floatType;
    } context{&counted, world.urids().map(LV2_ATOM__Float)};
    lilv_state_emit_port_values(
        state,
        [](const char*, void* data, const void*, std::uint32_t size, std::uint32_t type)
        {
            auto* c = static_cast<Context*>(data);
            (type == c->floatType && size == sizeof(float) ? c->counted->floats
                                                           : c->counted->others) += 1;
        },
        &context);
    lilv_state_free(state);
    return counted;
}
} // namespace

TEST(Lv2Bundle, PortsComeInTheOrderHostsNumberParameters)
{
    const char* const expectedSymbols[kNumParams] = {
        "output_trim",       "output_scale",    "bypass",         "input_drive", "side_gain",
        "xcorr_time",        "xcorr_threshold", "env_hysteresis", "env_release", "stereo_link",
        "softclip_thresh",   "softclip_amount", "rms_attack",     "rms_release", "rms_threshold",
        "inter_sample_peak", "dithering"};
    ASSERT_EQ(lilv_plugin_get_num_ports(bundlePlugin()), lv2_port::kPortCount);
    for (std::uint32_t index = 0; index < lv2_port::kPortCount; ++index)
    {
        SCOPED_TRACE(index);
        const bool audio = index >= lv2_port::kAudioInLeft && index <= lv2_port::kAudioOutRight;
        const bool input = index < lv2_port::kAudioOutLeft || index == lv2_port::kPeakHoldReset ||
                           index == lv2_port::kLoudnessReset;
        EXPECT_TRUE(portIs(index, audio ? LV2_CORE__AudioPort : LV2_CORE__ControlPort));
        EXPECT_TRUE(portIs(index, input ? LV2_CORE__InputPort : LV2_CORE__OutputPort));
        if (lv2_port::isMeterPort(index))
        {
            EXPECT_EQ(symbol(index), kMeterPorts[index - lv2_port::kFirstMeter].symbol);
        }
    }
    // The renderer numbers the parameters as the VST edition does, the reset buttons after them.
    HostedLv2 hosted;
    ASSERT_EQ(hosted.get().numParams(), kNumParams + 2);
    for (int index = 0; index < kNumParams; ++index)
    {
        EXPECT_EQ(hosted.get().paramSymbol(index), expectedSymbols[index]);
        EXPECT_EQ(hosted.get().paramName(index), trimmed(kParamNameTable[index]));
    }
    EXPECT_EQ(hosted.get().paramSymbol(kNumParams), "peak_hold_reset");
    EXPECT_EQ(hosted.get().paramSymbol(kNumParams + 1), "loudness_reset");
    EXPECT_TRUE(portHas(lv2_port::kPeakHoldReset, LV2_PORT_PROPS__notAutomatic));
    EXPECT_EQ(symbol(lv2_port::kLoudnessReset), "loudness_reset");
    EXPECT_TRUE(portHas(lv2_port::kLoudnessReset, LV2_PORT_PROPS__notAutomatic));
    // The loudness figures under the names hosts and scripts look for.
    EXPECT_EQ(symbol(lv2_port::kFirstMeter + lv2_port::kMomentaryLufs), "momentary_lufs");
    EXPECT_EQ(symbol(lv2_port::kFirstMeter + lv2_port::kShortTermLufs), "short_term_lufs");
    EXPECT_EQ(symbol(lv2_port::kFirstMeter + lv2_port::kIntegratedLufs), "integrated_lufs");
    EXPECT_EQ(symbol(lv2_port::kFirstMeter + lv2_port::kLoudnessRangeLu), "loudness_range_lu");
    EXPECT_EQ(symbol(lv2_port::kFirstMeter + lv2_port::kTruePeakDbtp), "true_peak_dbtp");
}

TEST(Lv2Bundle, ControlsReadInUserUnitsWithTheVstDefaults)
{
    struct Expected
    {
        std::uint32_t index;
        const char* unit;
        Range range;
    };
    // Port values as a user reads them; defaults as program 0 sets the parameters. Drive reads
    // as the engine applies it: the law's -72..0 dB plus the drive's x10 (+20 dB).
    const Expected table[] = {
        {kOutputTrim, LV2_UNITS__db, {-72.0f, 0.0f, 0.0f}},
        {kOutputScale, "", {0.0f, 3.0f, 0.0f}},
        {kBypass, "", {0.0f, 1.0f, 0.0f}},
        {kInputDrive, LV2_UNITS__db, {-52.0f, 20.0f, -0.16f}},
        {kSideGain, LV2_UNITS__pc, {0.0f, 200.0f, 100.0f}},
        {kXCorrTime, LV2_UNITS__ms, {0.0f, 500.0f, 500.0f}},
        {kXCorrThreshold, "", {-1.0f, 1.0f, -1.0f}},
        {kEnvHysteresis, LV2_UNITS__ms, {0.0f, 200.0f, 100.0f}},
        {kEnvRelease, LV2_UNITS__ms, {0.0f, 200.0f, 80.0f}},
        {kStereoLink, LV2_UNITS__pc, {0.0f, 100.0f, 50.0f}},
        {kSoftclipThresh, LV2_UNITS__db, {-20.0f, 20.0f, 0.0f}},
        {kSoftclipAmount, LV2_UNITS__pc, {0.0f, 100.0f, 0.0f}},
        {kRmsAttack, LV2_UNITS__ms, {0.0f, 200.0f, 100.0f}},
        {kRmsRelease, LV2_UNITS__ms, {0.0f, 200.0f, 100.0f}},
        {kRmsThreshold, LV2_UNITS__db, {-20.0f, 20.0f, 8.0f}},
        {kInterSamplePeak, "", {0.0f, 1.0f, 0.0f}},
        {kDithering, "", {0.0f, 6.0f, 0.0f}},
        {lv2_port::kPeakHoldReset, "", {0.0f, 1.0f, 0.0f}},
    };
    // Ranges and defaults as the renderer reads them.
    HostedLv2 hosted;
    for (const Expected& e : table)
    {
        SCOPED_TRACE(symbol(e.index));
        EXPECT_EQ(unit(e.index), e.unit);
        const int param = hosted.paramOf(e.index);
        EXPECT_EQ(hosted.get().paramMinimum(param), e.range.minimum);
        EXPECT_EQ(hosted.get().paramMaximum(param), e.range.maximum);
        EXPECT_EQ(hosted.value(e.index), e.range.defaultValue);
        if (e.index < kNumParams)
        {
            EXPECT_EQ(parameterValueOf(e.index, hosted.value(e.index)), kPresetTable[0][e.index]);
        }
    }
    for (std::uint32_t index :
         {std::uint32_t{kBypass}, std::uint32_t{kInterSamplePeak}, lv2_port::kPeakHoldReset})
        EXPECT_TRUE(portHas(index, LV2_CORE__toggled)) << symbol(index);
    // Any value above zero turns a toggle on, as LV2 defines it.
    for (const int index : {kBypass, kInterSamplePeak})
    {
        EXPECT_EQ(parameterValueOf(index, 0.3f), 1.0f);
        EXPECT_EQ(parameterValueOf(index, 0.0f), 0.0f);
        EXPECT_EQ(parameterValueOf(index, -2.0f), 0.0f);
    }
}

TEST(Lv2Bundle, MenusAreIntegerEnumerationsWithTheEditorsLabels)
{
    struct Expected
    {
        std::uint32_t index;
        std::vector<std::string> labels;
    };
    const Expected table[] = {
        {kOutputScale, {"PK", "K12", "K14", "K20"}},
        {kDithering, {"64 bit", "32 bit", "24 bit", "20 bit", "16 bit", "12 bit", "8 bit"}},
    };
    HostedLv2 hosted;
    for (const Expected& e : table)
    {
        SCOPED_TRACE(symbol(e.index));
        EXPECT_TRUE(portHas(e.index, LV2_CORE__integer));
        EXPECT_TRUE(portHas(e.index, LV2_CORE__enumeration));
        LilvScalePoints* points = lilv_port_get_scale_points(bundlePlugin(), port(e.index));
        EXPECT_EQ(lilv_scale_points_size(points), e.labels.size());
        lilv_scale_points_free(points);
        // Each integer value shows its label, as the renderer lists and reports it.
        const int param = hosted.paramOf(e.index);
        for (std::size_t value = 0; value < e.labels.size(); ++value)
        {
            hosted.set(e.index, static_cast<float>(value));
            EXPECT_EQ(hosted.get().paramDisplay(param), e.labels[value]);
        }
    }
}

TEST(Lv2Bundle, ReportsItsLatencyAndMeters)
{
    EXPECT_TRUE(lilv_plugin_has_latency(bundlePlugin()));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(bundlePlugin()), lv2_port::kLatency);
    EXPECT_TRUE(lilv_plugin_has_feature(bundlePlugin(), lv2Uri(LV2_CORE__hardRTCapable).get()));
    LilvNodes* required = lilv_plugin_get_required_features(bundlePlugin());
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);

    RawLv2Instance instance;
    instance.run(0);
    EXPECT_EQ(instance.controls[lv2_port::kLatency], 512.0f);
    for (std::uint32_t meter = 0; meter < lv2_port::kMeterCount; ++meter)
    {
        const std::uint32_t index = lv2_port::kFirstMeter + meter;
        const Range r = range(index);
        EXPECT_GE(instance.controls[index], r.minimum) << symbol(index);
        EXPECT_LE(instance.controls[index], r.maximum) << symbol(index);
    }
}

TEST(Lv2Bundle, PresetsAreTheDistinctFactoryProgramsAndApplyExactly)
{
    constexpr int kDistinctPrograms = 8;
    Lv2World& w = *bundleWorld();
    LilvNodes* related = lilv_plugin_get_related(bundlePlugin(), lv2Uri(LV2_PRESETS__Preset).get());
    EXPECT_EQ(lilv_nodes_size(related), static_cast<unsigned>(kDistinctPrograms));
    std::set<std::string> uris;
    LILV_FOREACH(nodes, i, related)
    {
        const LilvNode* preset = lilv_nodes_get(related, i);
        const std::string uri = lilv_node_as_uri(preset);
        SCOPED_TRACE(uri);
        const std::string prefix = lv2_identity::kPresetUriPrefix;
        ASSERT_EQ(uri.compare(0, prefix.size(), prefix), 0);
        const int program = std::stoi(uri.substr(prefix.size()));
        ASSERT_GE(program, 0);
        ASSERT_LT(program, kDistinctPrograms);
        uris.insert(uri);
        lilv_world_load_resource(w.get(), preset);
        LilvNode* label = lilv_world_get(w.get(), preset, lv2Uri(kRdfsLabel).get(), nullptr);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(lilv_node_as_string(label), programLabel(program));
        lilv_node_free(label);
        const PresetValues values = countPresetValues(uri);
        EXPECT_EQ(values.floats, kNumParams);
        EXPECT_EQ(values.others, 0);
    }
    EXPECT_EQ(uris.size(), static_cast<std::size_t>(kDistinctPrograms));
    lilv_nodes_free(related);

    // Applied as the renderer applies a program, each gives its row of the table.
    const int presets = HostedLv2().get().numPrograms();
    ASSERT_EQ(presets, kDistinctPrograms);
    for (int preset = 0; preset < presets; ++preset)
    {
        HostedLv2 hosted;
        const std::string label = hosted.get().programName(preset);
        SCOPED_TRACE(label);
        int program = 0;
        while (program < kDistinctPrograms && programLabel(program) != label)
            ++program;
        ASSERT_LT(program, kDistinctPrograms);
        hosted.get().setProgram(preset);
        for (int index = 0; index < kNumParams; ++index)
        {
            SCOPED_TRACE(symbol(index));
            const float value = hosted.value(index);
            EXPECT_GE(value, hosted.get().paramMinimum(index));
            EXPECT_LE(value, hosted.get().paramMaximum(index));
            EXPECT_EQ(parameterValueOf(index, value), kPresetTable[program][index]);
        }
    }
}
