// The bundle as lilv reads it from the build tree: ports in the order hosts number them, units,
// ranges, scale points, latency and presets, checked against the shared tables.
#include <gtest/gtest.h>

#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstring>
#include <set>

#include "Lv2TestHost.h"
#include "lv2/ControlPorts.h"
#include "lv2/MeterPorts.h"
#include "parameters/Presets.h"

namespace
{
constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";

const LilvPort* port(std::uint32_t index)
{
    return lilv_plugin_get_port_by_index(Lv2World::get().plugin(), index);
}

bool portIs(std::uint32_t index, const char* classUri)
{
    Lv2World& w = Lv2World::get();
    return lilv_port_is_a(w.plugin(), port(index), w.uri(classUri));
}

bool portHas(std::uint32_t index, const char* propertyUri)
{
    Lv2World& w = Lv2World::get();
    return lilv_port_has_property(w.plugin(), port(index), w.uri(propertyUri));
}

std::string symbol(std::uint32_t index)
{
    return lilv_node_as_string(lilv_port_get_symbol(Lv2World::get().plugin(), port(index)));
}

std::string unit(std::uint32_t index)
{
    Lv2World& w = Lv2World::get();
    LilvNodes* units = lilv_port_get_value(w.plugin(), port(index), w.uri(LV2_UNITS__unit));
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
    lilv_port_get_range(Lv2World::get().plugin(), port(index), &defaultNode, &minimum, &maximum);
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

std::vector<const LilvNode*> presets(LilvNodes*& owner)
{
    Lv2World& w = Lv2World::get();
    owner = lilv_plugin_get_related(w.plugin(), w.uri(LV2_PRESETS__Preset));
    std::vector<const LilvNode*> found;
    LILV_FOREACH(nodes, i, owner)
    found.push_back(lilv_nodes_get(owner, i));
    return found;
}
} // namespace

TEST(Lv2Bundle, PortsComeInTheOrderHostsNumberParameters)
{
    const char* const expectedSymbols[kNumParams] = {
        "output_trim",       "output_scale",    "bypass",         "input_drive", "side_gain",
        "xcorr_time",        "xcorr_threshold", "env_hysteresis", "env_release", "stereo_link",
        "softclip_thresh",   "softclip_amount", "rms_attack",     "rms_release", "rms_threshold",
        "inter_sample_peak", "dithering"};
    ASSERT_EQ(lilv_plugin_get_num_ports(Lv2World::get().plugin()), lv2_port::kPortCount);
    for (std::uint32_t index = 0; index < lv2_port::kPortCount; ++index)
    {
        SCOPED_TRACE(index);
        const bool audio = index >= lv2_port::kAudioInLeft && index <= lv2_port::kAudioOutRight;
        const bool input = index < lv2_port::kAudioOutLeft || index == lv2_port::kPeakHoldReset ||
                           index == lv2_port::kLoudnessReset;
        EXPECT_TRUE(portIs(index, audio ? LV2_CORE__AudioPort : LV2_CORE__ControlPort));
        EXPECT_TRUE(portIs(index, input ? LV2_CORE__InputPort : LV2_CORE__OutputPort));
        if (index < kNumParams)
        {
            EXPECT_EQ(symbol(index), expectedSymbols[index]);
            LilvNode* name = lilv_port_get_name(Lv2World::get().plugin(), port(index));
            EXPECT_EQ(lilv_node_as_string(name), trimmed(kParamNameTable[index]));
            lilv_node_free(name);
        }
        if (lv2_port::isMeterPort(index))
        {
            EXPECT_EQ(symbol(index), kMeterPorts[index - lv2_port::kFirstMeter].symbol);
        }
    }
    EXPECT_EQ(symbol(lv2_port::kPeakHoldReset), "peak_hold_reset");
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
    // as the engine applies it: the law's -72..0 dB plus the engine's x10 (+20 dB).
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
    for (const Expected& e : table)
    {
        SCOPED_TRACE(symbol(e.index));
        EXPECT_EQ(unit(e.index), e.unit);
        const Range r = range(e.index);
        EXPECT_EQ(r.minimum, e.range.minimum);
        EXPECT_EQ(r.maximum, e.range.maximum);
        EXPECT_EQ(r.defaultValue, e.range.defaultValue);
        if (e.index < kNumParams)
        {
            EXPECT_EQ(parameterValueOf(e.index, r.defaultValue), kPresetTable[0][e.index]);
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
    Lv2World& w = Lv2World::get();
    for (const Expected& e : table)
    {
        SCOPED_TRACE(symbol(e.index));
        EXPECT_TRUE(portHas(e.index, LV2_CORE__integer));
        EXPECT_TRUE(portHas(e.index, LV2_CORE__enumeration));
        LilvScalePoints* points = lilv_port_get_scale_points(w.plugin(), port(e.index));
        std::vector<std::string> labels(lilv_scale_points_size(points));
        LILV_FOREACH(scale_points, i, points)
        {
            const LilvScalePoint* point = lilv_scale_points_get(points, i);
            const float value = lilv_node_as_float(lilv_scale_point_get_value(point));
            ASSERT_EQ(value, std::round(value));
            ASSERT_LT(value, labels.size());
            labels[static_cast<std::size_t>(value)] =
                lilv_node_as_string(lilv_scale_point_get_label(point));
        }
        lilv_scale_points_free(points);
        EXPECT_EQ(labels, e.labels);
    }
}

TEST(Lv2Bundle, ReportsItsLatencyAndMeters)
{
    Lv2World& w = Lv2World::get();
    EXPECT_TRUE(lilv_plugin_has_latency(w.plugin()));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(w.plugin()), lv2_port::kLatency);
    EXPECT_TRUE(lilv_plugin_has_feature(w.plugin(), w.uri(LV2_CORE__hardRTCapable)));
    LilvNodes* required = lilv_plugin_get_required_features(w.plugin());
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);

    Lv2Instance instance;
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
    Lv2World& w = Lv2World::get();
    LilvNodes* owner = nullptr;
    const std::vector<const LilvNode*> found = presets(owner);
    constexpr int kDistinctPrograms = 8;
    ASSERT_EQ(found.size(), static_cast<std::size_t>(kDistinctPrograms));
    std::set<std::string> uris;
    for (const LilvNode* preset : found)
    {
        const std::string uri = lilv_node_as_uri(preset);
        SCOPED_TRACE(uri);
        const std::string prefix = lv2_identity::kPresetUriPrefix;
        ASSERT_EQ(uri.compare(0, prefix.size(), prefix), 0);
        const int program = std::stoi(uri.substr(prefix.size()));
        ASSERT_GE(program, 0);
        ASSERT_LT(program, kDistinctPrograms);
        uris.insert(uri);

        lilv_world_load_resource(w.world(), preset);
        LilvNode* label = lilv_world_get(w.world(), preset, w.uri(kRdfsLabel), nullptr);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(lilv_node_as_string(label), trimmed(kProgramNameTable[program]));
        lilv_node_free(label);

        Lv2Instance instance;
        EXPECT_EQ(instance.applyPreset(preset), kNumParams);
        EXPECT_EQ(instance.nonFloatValues, 0);
        for (int index = 0; index < kNumParams; ++index)
        {
            SCOPED_TRACE(symbol(index));
            const float value = instance.controls[index];
            const Range r = range(index);
            EXPECT_GE(value, r.minimum);
            EXPECT_LE(value, r.maximum);
            EXPECT_EQ(parameterValueOf(index, value), kPresetTable[program][index]);
        }
    }
    EXPECT_EQ(uris.size(), found.size());
    lilv_nodes_free(owner);
}
