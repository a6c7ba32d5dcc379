#include "host/plugins/Lv2Presets.h"

#include "host/HostError.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cstring>

namespace
{
struct StateFree
{
    void operator()(LilvState* state) const { lilv_state_free(state); }
};

struct RestoreContext
{
    Lv2UridMap* urids;
    const Lv2PortValueSink* setPortValue;
};

// Presets store port values as atoms of any numeric type.
bool numericValue(Lv2UridMap& urids, const void* value, uint32_t size, uint32_t type, float& out)
{
    const auto read = [&](auto sample)
    {
        if (size != sizeof(sample))
            return false;
        std::memcpy(&sample, value, sizeof(sample));
        out = static_cast<float>(sample);
        return true;
    };
    if (type == urids.map(LV2_ATOM__Float))
        return read(float{});
    if (type == urids.map(LV2_ATOM__Double))
        return read(double{});
    if (type == urids.map(LV2_ATOM__Int) || type == urids.map(LV2_ATOM__Bool))
        return read(int32_t{});
    if (type == urids.map(LV2_ATOM__Long))
        return read(int64_t{});
    return false;
}

void restorePortValue(const char* symbol, void* userData, const void* value, uint32_t size,
                      uint32_t type)
{
    auto& context = *static_cast<RestoreContext*>(userData);
    float number = 0.0f;
    if (numericValue(*context.urids, value, size, type, number))
        (*context.setPortValue)(symbol, number);
}
// Where the URI ends in a number ("...#preset-3"), the text before it; else the whole URI.
std::string uriStem(const std::string& uri)
{
    const std::size_t digits = uri.find_last_not_of("0123456789") + 1;
    return uri.substr(0, digits);
}

unsigned long long uriNumber(const std::string& uri)
{
    return std::stoull(uri.substr(uriStem(uri).size()));
}

// A bundle numbers its presets when every URI is one stem followed by a distinct number (as our
// LV2 edition's are): that numbering is the programs', and --program N must agree with it.
bool numberedByTheBundle(const std::vector<Lv2Preset>& presets)
{
    constexpr std::size_t kMostDigits = 18; // beyond this a number may not fit
    if (presets.empty())
        return false;
    const std::string stem = uriStem(presets.front().uri);
    std::vector<unsigned long long> numbers;
    for (const Lv2Preset& preset : presets)
    {
        const std::size_t digits = preset.uri.size() - uriStem(preset.uri).size();
        if (uriStem(preset.uri) != stem || digits == 0 || digits > kMostDigits)
            return false;
        numbers.push_back(uriNumber(preset.uri));
    }
    std::sort(numbers.begin(), numbers.end());
    return std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end();
}
} // namespace

std::vector<Lv2Preset> findPresets(Lv2World& world, const LilvPlugin* plugin)
{
    std::vector<Lv2Preset> presets;
    LilvNodes* related = lilv_plugin_get_related(plugin, world.vocabulary().preset.get());
    LILV_FOREACH(nodes, entry, related)
    {
        const LilvNode* preset = lilv_nodes_get(related, entry);
        lilv_world_load_resource(world.get(), preset);
        std::string label = lv2TakeNodeText(
            lilv_world_get(world.get(), preset, world.vocabulary().label.get(), nullptr));
        presets.push_back({lv2NodeText(preset), label.empty() ? lv2NodeText(preset) : label});
    }
    lilv_nodes_free(related);
    if (numberedByTheBundle(presets))
    {
        std::sort(presets.begin(), presets.end(), [](const Lv2Preset& a, const Lv2Preset& b)
                  { return uriNumber(a.uri) < uriNumber(b.uri); });
        return presets;
    }
    std::sort(presets.begin(), presets.end(),
              [](const Lv2Preset& a, const Lv2Preset& b)
              { return a.label != b.label ? a.label < b.label : a.uri < b.uri; });
    return presets;
}

void applyPreset(Lv2World& world, const Lv2Preset& preset,
                 const std::vector<LilvInstance*>& instances, const LV2_Feature* const* features,
                 const Lv2PortValueSink& setPortValue)
{
    const Lv2Node uri(lilv_new_uri(world.get(), preset.uri.c_str()));
    const std::unique_ptr<LilvState, StateFree> state(
        lilv_state_new_from_world(world.get(), world.urids().mapFeatureData(), uri.get()));
    if (!state)
        throw HostError("cannot read the LV2 preset '" + preset.label + "' (" + preset.uri + ")");
    RestoreContext context{&world.urids(), &setPortValue};
    for (LilvInstance* instance : instances)
        lilv_state_restore(state.get(), instance, restorePortValue, &context, 0, features);
}
