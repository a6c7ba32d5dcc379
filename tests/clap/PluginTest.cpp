// What a CLAP host learns from the library and an instance: the descriptor, ports, parameters
// with their texts, latency, tail, render mode, presets, gain-adjustment metering, and the
// editor's edits reaching the host as gesture-bracketed events.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "ClapTestHost.h"
#include "parameters/Presets.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
std::string text(const ClapInstance& clap, clap_id id, double value)
{
    char display[64] = "untouched";
    if (!clap.params().value_to_text(clap.plugin, id, value, display, sizeof display))
        return "refused";
    return display;
}

double valueOf(const ClapInstance& clap, clap_id id, const char* typed)
{
    double value = std::nan("");
    clap.params().text_to_value(clap.plugin, id, typed, &value);
    return value;
}
} // namespace

TEST(ClapPlugin, DescriptorAndPortsAreAStereoMasteringEffect)
{
    const auto* factory = ClapLibrary::shared().factory<clap_plugin_factory>(kClapPluginFactoryId);
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor* descriptor = factory->get_plugin_descriptor(factory, 0);
    EXPECT_STREQ(descriptor->id, "example.varnholt.varnholt-pro");
    EXPECT_STREQ(descriptor->name, "Varnholt Pro");
    std::vector<std::string> features;
    for (const char* const* feature = descriptor->features; *feature != nullptr; ++feature)
        features.emplace_back(*feature);
    EXPECT_EQ(features,
              (std::vector<std::string>{"audio-effect", "stereo", "limiter", "mastering"}));
    ClapTestHost host;
    EXPECT_EQ(factory->create_plugin(factory, host.get(), "example.varnholt.other"), nullptr);

    ClapInstance clap(false);
    const auto* ports = clap.extension<clap_plugin_audio_ports>(kClapExtAudioPorts);
    ASSERT_NE(ports, nullptr);
    for (const bool isInput : {true, false})
    {
        ASSERT_EQ(ports->count(clap.plugin, isInput), 1u);
        clap_audio_port_info info{};
        ASSERT_TRUE(ports->get(clap.plugin, 0, isInput, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_TRUE(info.flags & kClapAudioPortIsMain);
        EXPECT_TRUE(info.flags & kClapAudioPortSupports64Bits);
        EXPECT_STREQ(info.port_type, kClapPortStereo);
        EXPECT_FALSE(ports->get(clap.plugin, 1, isInput, &info));
    }
    EXPECT_EQ(clap.extension<clap_plugin_latency>(kClapExtLatency)->get(clap.plugin), 512u);
    EXPECT_EQ(clap.extension<clap_plugin_tail>(kClapExtTail)->get(clap.plugin), 512u);
    const auto* render = clap.extension<clap_plugin_render>(kClapExtRender);
    EXPECT_FALSE(render->has_hard_realtime_requirement(clap.plugin));
    EXPECT_TRUE(render->set(clap.plugin, kClapRenderOffline));
    EXPECT_FALSE(render->set(clap.plugin, 7));
    EXPECT_EQ(clap.plugin->get_extension(clap.plugin, "clap.unknown"), nullptr);
    EXPECT_FALSE(clap.plugin->activate(clap.plugin, std::nan(""), 1, 64));
}

TEST(ClapPlugin, ParametersSpeakUserUnits)
{
    ClapInstance clap;
    const clap_plugin_params& params = clap.params();
    ASSERT_EQ(params.count(clap.plugin), static_cast<std::uint32_t>(kNumParams));
    for (std::uint32_t i = 0; i < kNumParams; ++i)
    {
        clap_param_info info{};
        ASSERT_TRUE(params.get_info(clap.plugin, i, &info));
        EXPECT_EQ(info.id, i);
        EXPECT_TRUE(info.flags & kClapParamIsAutomatable) << i;
        const bool stepped =
            i == kOutputScale || i == kBypass || i == kInterSamplePeak || i == kDithering;
        EXPECT_EQ((info.flags & kClapParamIsStepped) != 0, stepped) << i;
        EXPECT_EQ((info.flags & kClapParamIsBypass) != 0, i == kBypass) << i;
        EXPECT_LE(info.min_value, info.default_value);
        EXPECT_GE(info.max_value, info.default_value);
        EXPECT_DOUBLE_EQ(clap.value(i), info.default_value) << i;
    }
    clap_param_info info{};
    EXPECT_FALSE(params.get_info(clap.plugin, kNumParams, &info));
    ASSERT_TRUE(params.get_info(clap.plugin, kInputDrive, &info));
    EXPECT_STREQ(info.name, "Input drive");
    EXPECT_DOUBLE_EQ(info.min_value, -52.0);
    EXPECT_NEAR(info.max_value, 20.0, 1e-9);
    ASSERT_TRUE(params.get_info(clap.plugin, kDithering, &info));
    EXPECT_EQ(info.max_value, 6.0);

    EXPECT_EQ(text(clap, kInputDrive, -0.16), "-0.2 dB");
    EXPECT_EQ(text(clap, kXCorrTime, 500.0), "500.0 ms");
    EXPECT_EQ(text(clap, kDithering, 4.0), "16 bit");
    EXPECT_EQ(text(clap, kOutputScale, 2.0), "K14");
    EXPECT_EQ(text(clap, kBypass, 1.0), "on");
    EXPECT_EQ(text(clap, kSideGain, std::nan("")), "refused");
    EXPECT_EQ(text(clap, kNumParams, 0.0), "refused");
    char tiny[4] = "xyz";
    ASSERT_TRUE(params.value_to_text(clap.plugin, kXCorrTime, 250.0, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "250");

    EXPECT_NEAR(valueOf(clap, kOutputTrim, "-6 dB"), -6.0, 1e-4);
    EXPECT_NEAR(valueOf(clap, kRmsAttack, "12.5"), 12.5, 1e-4);
    EXPECT_EQ(valueOf(clap, kDithering, "24bit"), 2.0);
    EXPECT_EQ(valueOf(clap, kOutputScale, "k20"), 3.0);
    EXPECT_EQ(valueOf(clap, kInterSamplePeak, "on"), 1.0);
    EXPECT_TRUE(std::isnan(valueOf(clap, kOutputTrim, "loud")));
    EXPECT_TRUE(std::isnan(valueOf(clap, 99, "1")));
}

TEST(ClapPlugin, FlushAppliesValuesWithoutProcessing)
{
    ClapInstance inactive(false);
    EventList events;
    events.addValue(0, kRmsThreshold, -4.0);
    events.addValue(0, kDithering, 5.0);
    inactive.flush(events);
    EXPECT_NEAR(inactive.value(kRmsThreshold), -4.0, 1e-5);
    EXPECT_EQ(inactive.value(kDithering), 5.0);
}

TEST(ClapPlugin, FactoryProgramsLoadAndAreDiscovered)
{
    ClapInstance clap;
    EXPECT_TRUE(clap.loadPreset("1"));
    EXPECT_NEAR(clap.value(kRmsThreshold), -4.0, 1e-5);
    EXPECT_EQ(clap.host.loadedPresets, std::vector<std::string>{"1"});
    EXPECT_GE(clap.host.rescans, 1);
    EXPECT_EQ(clap.host.dirtyMarks, 1);
    for (const char* bad : {"18", "-1", "1x", "", "007a"})
        EXPECT_FALSE(clap.loadPreset(bad)) << bad;
    const auto* load = clap.extension<clap_plugin_preset_load>(kClapExtPresetLoadCompat);
    ASSERT_NE(load, nullptr);
    EXPECT_FALSE(load->from_location(clap.plugin, kClapPresetLocationFile, "/tmp/x", "1"));

    const auto* factory =
        ClapLibrary::shared().factory<clap_preset_discovery_factory>(kClapPresetDiscoveryFactoryId);
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->count(factory), 1u);
    const auto* descriptor = factory->get_descriptor(factory, 0);
    struct Indexed
    {
        std::vector<clap_preset_discovery_location> locations;
        std::vector<std::pair<std::string, std::string>> presets;
        std::vector<std::string> pluginIds;
    } indexed;
    clap_preset_discovery_indexer indexer{};
    indexer.clap_version = kClapVersion;
    indexer.name = "test indexer";
    indexer.indexer_data = &indexed;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer*,
                                  const clap_preset_discovery_filetype*) { return true; };
    indexer.declare_location =
        [](const clap_preset_discovery_indexer* i, const clap_preset_discovery_location* location)
    {
        static_cast<Indexed*>(i->indexer_data)->locations.push_back(*location);
        return true;
    };
    const clap_preset_discovery_provider* provider =
        factory->create(factory, &indexer, descriptor->id);
    ASSERT_NE(provider, nullptr);
    ASSERT_TRUE(provider->init(provider));
    ASSERT_EQ(indexed.locations.size(), 1u);
    EXPECT_EQ(indexed.locations[0].kind, kClapPresetLocationPlugin);
    EXPECT_EQ(indexed.locations[0].location, nullptr);
    clap_preset_discovery_metadata_receiver receiver{};
    receiver.receiver_data = &indexed;
    receiver.begin_preset =
        [](const clap_preset_discovery_metadata_receiver* r, const char* name, const char* key)
    {
        static_cast<Indexed*>(r->receiver_data)->presets.emplace_back(name, key);
        return true;
    };
    receiver.add_plugin_id =
        [](const clap_preset_discovery_metadata_receiver* r, const clap_universal_plugin_id* id)
    {
        static_cast<Indexed*>(r->receiver_data)
            ->pluginIds.push_back(std::string(id->abi) + ":" + id->id);
    };
    ASSERT_TRUE(provider->get_metadata(provider, kClapPresetLocationPlugin, nullptr, &receiver));
    provider->destroy(provider);
    ASSERT_EQ(indexed.presets.size(), 8u);
    EXPECT_EQ(indexed.presets[1],
              (std::pair<std::string, std::string>{"+6dB (limiter only)", "1"}));
    EXPECT_EQ(indexed.presets[7].first, "Mix first aid");
    EXPECT_EQ(indexed.pluginIds.front(), "clap:example.varnholt.varnholt-pro");
    EXPECT_EQ(factory->create(factory, &indexer, "someone.else"), nullptr);
}

TEST(ClapPlugin, GainAdjustmentShowsTheLimitersReduction)
{
    ClapInstance clap;
    const auto* metering =
        clap.extension<clap_plugin_gain_adjustment_metering>(kClapExtGainAdjustmentMetering);
    ASSERT_NE(metering, nullptr);
    const StereoSignal quiet{std::vector<float>(4096, 0.01f), std::vector<float>(4096, 0.01f)};
    clap.render(quiet, 4096);
    EXPECT_NEAR(metering->get(clap.plugin), 0.0, 0.01);
    const StereoSignal loud = comparisonMaterial(20000);
    EventList drive;
    drive.addValue(0, kInputDrive, 12.0);
    clap.flush(drive);
    clap.render(loud, 512);
    const double reduction = metering->get(clap.plugin);
    EXPECT_LT(reduction, -3.0);
    EXPECT_GT(reduction, -40.0);
    EventList bypass;
    bypass.addValue(0, kBypass, 1.0);
    clap.flush(bypass);
    EXPECT_EQ(metering->get(clap.plugin), 0.0);
}
