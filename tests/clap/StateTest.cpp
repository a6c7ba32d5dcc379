// State saved by one instance and loaded into another renders the same; a state that is not
// ours, or hostile parameter events, leave the instance as it was and its output sound.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "ClapTestHost.h"
#include "parameters/UserUnits.h"
#include "tests/support/Vst2ReferenceRender.h"

namespace
{
constexpr std::size_t kFrames = 12000;
constexpr std::uint32_t kHostBlock = 256;

const StereoSignal& material()
{
    static const StereoSignal signal = comparisonMaterial(kFrames);
    return signal;
}

// Program 5 with a few edits, so neither the defaults nor a factory row.
void edit(ClapInstance& clap)
{
    ASSERT_TRUE(clap.loadPreset("5"));
    EventList events;
    events.addValue(0, kRmsThreshold, -3.25);
    events.addValue(0, kDithering, 4.0);
    events.addValue(0, kOutputScale, 2.0);
    clap.flush(events);
}
} // namespace

TEST(ClapState, SavedStateRendersTheSameInAnotherInstance)
{
    ClapInstance original;
    edit(original);
    const std::string state = original.saveState();
    EXPECT_NE(state.find("program 5"), std::string::npos) << state;

    ClapInstance restored;
    ASSERT_TRUE(restored.loadState(state));
    EXPECT_EQ(restored.saveState(), state);
    for (clap_id id = 0; id < kNumParams; ++id)
        EXPECT_EQ(restored.value(id), original.value(id)) << id;
    EXPECT_GE(restored.host.rescans, 1);
    EXPECT_EQ(restored.host.dirtyMarks, 0) << "loading a project's state changes nothing in it";

    ClapInstance again;
    edit(again);
    EXPECT_EQ(maxDifference(restored.render(material(), kHostBlock),
                            again.render(material(), kHostBlock)),
              0.0f);

    // The state-context extension keeps the same, whatever the context.
    const auto* context = restored.extension<clap_plugin_state_context>(kClapExtStateContext);
    ASSERT_NE(context, nullptr);
    std::string viaContext;
    clap_ostream stream{
        &viaContext, [](const clap_ostream* s, const void* buffer, std::uint64_t size)
        {
            static_cast<std::string*>(s->ctx)->append(static_cast<const char*>(buffer), size);
            return static_cast<std::int64_t>(size);
        }};
    ASSERT_TRUE(context->save(restored.plugin, &stream, kClapStateContextForDuplicate));
    EXPECT_EQ(viaContext, state);

    // State is main-thread work: where the host's thread check says otherwise, it is refused.
    restored.host.inProcess = true;
    viaContext.clear();
    EXPECT_FALSE(context->save(restored.plugin, &stream, kClapStateContextForProject));
    EXPECT_FALSE(restored.loadPreset("3"));
    restored.host.inProcess = false;
    EXPECT_TRUE(viaContext.empty());
}

TEST(ClapState, GarbageStateIsRefusedAndChangesNothing)
{
    ClapInstance valid;
    edit(valid);
    const std::string good = valid.saveState();
    std::string tooLong = good;
    tooLong.append(5000, '#');
    std::string duplicated = good + "side_gain 0.1\n";
    std::string notFinite = good;
    notFinite.replace(notFinite.find("side_gain"), 9, "side_gain nan\nx");
    std::mt19937 random(23);
    std::string noise(600, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::vector<std::string> garbage = {
        "",
        "varnholt-pro clap-state 1\n",
        good.substr(0, good.size() / 2),
        noise,
        tooLong,
        duplicated,
        notFinite,
        "varnholt-pro clap-state 1\nprogram 99\n",
        std::string("varnholt-pro clap-state 1\nprogram 2\0", 36)};

    ClapInstance target;
    const std::string before = target.saveState();
    for (const std::string& text : garbage)
        EXPECT_FALSE(target.loadState(text)) << text.substr(0, 80);
    EXPECT_EQ(target.saveState(), before);
    ClapInstance untouched;
    EXPECT_EQ(maxDifference(target.render(material(), kHostBlock),
                            untouched.render(material(), kHostBlock)),
              0.0f);
}

TEST(ClapState, HostileParameterEventsLeaveItSound)
{
    const double kHostile[] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               1e300,
                               -1e300,
                               1e9,
                               -1e9};
    ClapInstance nanOnly;
    EventList nans;
    for (clap_id id = 0; id < kNumParams; ++id)
        nans.addValue(0, id, std::numeric_limits<double>::quiet_NaN());
    nanOnly.flush(nans);
    ClapInstance reference;
    EXPECT_EQ(maxDifference(nanOnly.render(material(), kHostBlock),
                            reference.render(material(), kHostBlock)),
              0.0f)
        << "values that are no number change nothing";

    ClapInstance clap;
    std::multimap<std::size_t, std::pair<clap_id, double>> events;
    std::size_t frame = 0;
    for (const double value : kHostile)
        for (clap_id id = 0; id < kNumParams + 2; ++id)
            events.insert({frame++ * 37 % kFrames, {id, value}});
    for (const clap_id id : {clap_id{17}, clap_id{1000}, kClapInvalidId})
        events.insert({5, {id, 0.5}});
    const StereoSignal out = clap.render(material(), 1000, events);
    EXPECT_TRUE(withinFullScale(out));
    for (clap_id id = 0; id < kNumParams; ++id)
    {
        clap_param_info info{};
        ASSERT_TRUE(clap.params().get_info(clap.plugin, id, &info));
        const double value = clap.value(id);
        EXPECT_TRUE(value >= info.min_value && value <= info.max_value) << id << " " << value;
    }

    // Malformed events: too short, another space, an unknown type, late or out of order.
    ClapInstance malformed;
    EventList odd;
    clap_event_param_value event{};
    event.header = {sizeof event, 0, kClapCoreEventSpace, kClapEventParamValue, 0};
    event.param_id = kOutputTrim;
    event.value = -60.0;
    clap_event_param_value shortEvent = event;
    shortEvent.header.size = sizeof(clap_event_header);
    odd.addRaw(&shortEvent.header, sizeof shortEvent);
    clap_event_param_value otherSpace = event;
    otherSpace.header.space_id = 7;
    odd.addRaw(&otherSpace.header, sizeof otherSpace);
    clap_event_param_value unknownType = event;
    unknownType.header.type = 200;
    odd.addRaw(&unknownType.header, sizeof unknownType);
    odd.addValue(500000, kSideGain, 150.0);
    odd.addValue(3, kSideGain, 120.0);
    std::vector<float> left(material().left.begin(), material().left.begin() + 64);
    std::vector<float> right(material().right.begin(), material().right.begin() + 64);
    float* channels[] = {left.data(), right.data()};
    EXPECT_EQ(malformed.processBlock<float>(channels, channels, 64, &odd), kClapProcessContinue);
    EXPECT_NEAR(malformed.value(kOutputTrim), 0.0, 1e-9) << "only well-formed events count";
    EXPECT_NEAR(malformed.value(kSideGain), 120.0, 1e-4) << "events apply in the order given";

    // No buffers, or one channel: an error, and the events still apply.
    EventList late;
    late.addValue(0, kStereoLink, 20.0);
    EXPECT_EQ(malformed.process(nullptr, nullptr, 64, &late), kClapProcessError);
    EXPECT_NEAR(malformed.value(kStereoLink), 20.0, 1e-4);
    clap_audio_buffer mono{};
    mono.channel_count = 1;
    mono.data32 = channels;
    EXPECT_EQ(malformed.process(&mono, &mono, 64, nullptr), kClapProcessError);
}
