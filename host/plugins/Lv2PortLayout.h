// What an LV2 plug-in's ports are for, as the renderer feeds them.
#pragma once

#include "host/plugins/Lv2World.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct Lv2ControlPort
{
    std::uint32_t index = 0;
    std::string symbol;
    std::string name;
    std::string unitSymbol;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
    bool toggled = false;
    bool integer = false;
    std::vector<std::pair<float, std::string>> scalePoints; // value, label
};

struct Lv2AtomPort
{
    std::uint32_t index = 0;
    std::size_t capacityBytes = 0;
};

struct Lv2PortLayout
{
    std::uint32_t portCount = 0;
    std::vector<Lv2ControlPort> controls;               // control inputs, the parameters users set
    std::vector<std::uint32_t> controlOutputs;          // meters and the latency
    std::vector<std::uint32_t> mainInputs, mainOutputs; // audio, side-chains excluded
    std::vector<std::uint32_t> silentInputs;   // side-chain audio and CV inputs: fed silence
    std::vector<std::uint32_t> ignoredOutputs; // side-chain audio and CV outputs
    std::vector<Lv2AtomPort> atomInputs, atomOutputs;
    std::vector<std::uint32_t> unconnected; // optional ports of kinds the host does not feed
    int latencyPort = -1;                   // the control output stating the delay; -1 if none
};

// Sorts the ports; throws HostError for a port the host cannot connect that the plug-in needs.
Lv2PortLayout describePorts(const Lv2World& world, const LilvPlugin* plugin);
