#include "host/plugins/Lv2PortLayout.h"

#include "host/HostError.h"

#include <algorithm>
#include <cmath>

namespace
{
// Enough for the event sequences of plug-ins that state no minimum size.
constexpr std::size_t kDefaultAtomCapacityBytes = 8192;

std::string portName(const LilvPlugin* plugin, const LilvPort* port)
{
    return lv2TakeNodeText(lilv_port_get_name(plugin, port));
}

// The unit's symbol ("dB"), else the last part of its URI when the units vocabulary is not
// loaded ("db" from units:db), else empty.
std::string unitSymbol(const Lv2World& world, const LilvPlugin* plugin, const LilvPort* port)
{
    const Lv2Vocabulary& words = world.vocabulary();
    LilvNodes* units = lilv_port_get_value(plugin, port, words.unit.get());
    std::string symbol;
    if (units != nullptr && lilv_nodes_size(units) > 0)
    {
        const LilvNode* unit = lilv_nodes_get_first(units);
        symbol =
            lv2TakeNodeText(lilv_world_get(world.get(), unit, words.unitSymbol.get(), nullptr));
        if (symbol.empty() && lilv_node_is_uri(unit))
        {
            const std::string uri = lv2NodeText(unit);
            symbol = uri.substr(uri.find_last_of("#/") + 1);
        }
    }
    lilv_nodes_free(units);
    return symbol;
}

Lv2ControlPort describeControl(const Lv2World& world, const LilvPlugin* plugin,
                               const LilvPort* port, float minimum, float maximum,
                               float defaultValue)
{
    const Lv2Vocabulary& words = world.vocabulary();
    Lv2ControlPort control;
    control.index = lilv_port_get_index(plugin, port);
    control.symbol = lv2NodeText(lilv_port_get_symbol(plugin, port));
    control.name = portName(plugin, port);
    control.unitSymbol = unitSymbol(world, plugin, port);
    control.toggled = lilv_port_has_property(plugin, port, words.toggled.get());
    control.integer = lilv_port_has_property(plugin, port, words.integer.get());
    // A port without bounds takes any value; a toggle is 0 or 1.
    control.minimum = std::isnan(minimum) ? (control.toggled ? 0.0f : -INFINITY) : minimum;
    control.maximum = std::isnan(maximum) ? (control.toggled ? 1.0f : INFINITY) : maximum;
    const float fallback = std::isfinite(control.minimum) ? control.minimum : 0.0f;
    control.defaultValue = std::isnan(defaultValue) ? fallback : defaultValue;

    LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
    LILV_FOREACH(scale_points, entry, points)
    {
        const LilvScalePoint* point = lilv_scale_points_get(points, entry);
        control.scalePoints.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                         lv2NodeText(lilv_scale_point_get_label(point)));
    }
    lilv_scale_points_free(points);
    return control;
}

std::size_t atomCapacity(const Lv2World& world, const LilvPlugin* plugin, const LilvPort* port)
{
    LilvNodes* sizes = lilv_port_get_value(plugin, port, world.vocabulary().minimumSize.get());
    std::size_t capacity = kDefaultAtomCapacityBytes;
    if (sizes != nullptr && lilv_nodes_size(sizes) > 0)
    {
        capacity = std::max<std::size_t>(
            capacity,
            static_cast<std::size_t>(std::max(0, lilv_node_as_int(lilv_nodes_get_first(sizes)))));
    }
    lilv_nodes_free(sizes);
    return capacity;
}
} // namespace

Lv2PortLayout describePorts(const Lv2World& world, const LilvPlugin* plugin)
{
    const Lv2Vocabulary& words = world.vocabulary();
    Lv2PortLayout layout;
    layout.portCount = lilv_plugin_get_num_ports(plugin);
    std::vector<float> minimums(layout.portCount), maximums(layout.portCount),
        defaults(layout.portCount);
    lilv_plugin_get_port_ranges_float(plugin, minimums.data(), maximums.data(), defaults.data());

    for (std::uint32_t index = 0; index < layout.portCount; ++index)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        const bool input = lilv_port_is_a(plugin, port, words.inputPort.get());
        const bool output = lilv_port_is_a(plugin, port, words.outputPort.get());
        const bool sideChain = lilv_port_has_property(plugin, port, words.isSideChain.get());
        if (lilv_port_is_a(plugin, port, words.controlPort.get()) && input)
        {
            layout.controls.push_back(describeControl(world, plugin, port, minimums[index],
                                                      maximums[index], defaults[index]));
        }
        else if (lilv_port_is_a(plugin, port, words.controlPort.get()) && output)
        {
            layout.controlOutputs.push_back(index);
            const bool reportsLatency =
                lilv_port_has_property(plugin, port, words.reportsLatency.get());
            if (reportsLatency && layout.latencyPort < 0)
                layout.latencyPort = static_cast<int>(index);
        }
        else if (lilv_port_is_a(plugin, port, words.audioPort.get()) && !sideChain)
            (input ? layout.mainInputs : layout.mainOutputs).push_back(index);
        else if (lilv_port_is_a(plugin, port, words.audioPort.get()) ||
                 lilv_port_is_a(plugin, port, words.cvPort.get()))
            (input ? layout.silentInputs : layout.ignoredOutputs).push_back(index);
        else if (lilv_port_is_a(plugin, port, words.atomPort.get()))
        {
            (input ? layout.atomInputs : layout.atomOutputs)
                .push_back({index, atomCapacity(world, plugin, port)});
        }
        else if (lilv_port_has_property(plugin, port, words.connectionOptional.get()))
        {
            layout.unconnected.push_back(index);
        }
        else
        {
            throw HostError("the LV2 plug-in's port '" +
                            lv2NodeText(lilv_port_get_symbol(plugin, port)) +
                            "' is of a kind varnholt-render cannot connect");
        }
    }
    // The designated latency port is the current way to state it; reportsLatency the old one.
    if (const LilvPort* port = lilv_plugin_get_port_by_designation(plugin, words.outputPort.get(),
                                                                   words.latency.get()))
        layout.latencyPort = static_cast<int>(lilv_port_get_index(plugin, port));
    return layout;
}
