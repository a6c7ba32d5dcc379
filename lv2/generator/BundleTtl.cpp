#include "lv2/generator/BundleTtl.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineConstants.h"
#include "lv2/Lv2Identity.h"
#include "lv2/Lv2Ports.h"
#include "lv2/MeterPorts.h"
#include "lv2/generator/TurtleDecimal.h"
#include "parameters/Parameters.h"
#include "parameters/Presets.h"
#include "parameters/UserUnits.h"

namespace id = lv2_identity;

namespace
{
constexpr const char* kPrefixes = "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The tables pad names with spaces to a fixed width; LV2 labels carry none.
std::string trimmed(const char* padded)
{
    std::string text(padded);
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

std::string uri(const std::string& text)
{
    return "<" + text + ">";
}

std::string presetUri(int program)
{
    return uri(id::kPresetUriPrefix + std::to_string(program));
}

// The factory programs, each distinct row once: later rows that repeat an earlier row are
// free slots of the VST edition, not presets of their own.
std::vector<int> distinctPrograms()
{
    std::vector<int> programs;
    for (int row = 0; row < kNumPrograms; ++row)
    {
        bool repeated = false;
        for (int earlier : programs)
        {
            repeated =
                repeated || (std::memcmp(kPresetTable[row], kPresetTable[earlier],
                                         sizeof kPresetTable[row]) == 0 &&
                             std::strcmp(kProgramNameTable[row], kProgramNameTable[earlier]) == 0);
        }
        if (!repeated)
            programs.push_back(row);
    }
    return programs;
}

// A parameter value as its port's decimal, checked to lie within the port's written range.
std::string portValueText(int index, float parameterValue)
{
    const auto text = portDecimal(index, parameterValue);
    const auto minimum = portDecimal(index, 0.0f);
    const auto maximum = portDecimal(index, kUserUnits[index].topValue);
    if (!text || !minimum || !maximum)
        throw TtlError(std::string("no exact decimal for port ") + kUserUnits[index].symbol);
    const float value = std::strtof(text->c_str(), nullptr);
    if (value < std::strtof(minimum->c_str(), nullptr) ||
        value > std::strtof(maximum->c_str(), nullptr))
        throw TtlError(std::string("value outside the range of port ") + kUserUnits[index].symbol);
    return *text;
}

std::string unitLine(const char* unit)
{
    return unit ? std::string("        units:unit units:") + unit + " ;\n" : std::string();
}

void writeParameterPort(std::ostream& out, int index)
{
    const UserUnitInfo& port = kUserUnits[index];
    constexpr int defaultProgram = 0;
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << port.symbol << "\" ;\n"
        << "        lv2:name \"" << trimmed(kParamNameTable[index]) << "\" ;\n"
        << "        lv2:default " << portValueText(index, kPresetTable[defaultProgram][index])
        << " ;\n"
        << "        lv2:minimum " << portValueText(index, 0.0f) << " ;\n"
        << "        lv2:maximum " << portValueText(index, port.topValue) << " ;\n"
        << unitLine(port.unit);
    if (port.kind == ValueKind::toggled)
        out << "        lv2:portProperty lv2:toggled ;\n";
    if (port.kind == ValueKind::enumeration)
    {
        out << "        lv2:portProperty lv2:integer , lv2:enumeration ;\n";
        for (int point = 0; point < port.scalePointCount; ++point)
            out << "        lv2:scalePoint [ rdfs:label \"" << port.scalePoints[point]
                << "\" ; rdf:value " << decimal(point) << " ] ;\n";
    }
}

void writeMeterPort(std::ostream& out, std::uint32_t meter)
{
    const MeterPortInfo& port = kMeterPorts[meter];
    out << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2_port::kFirstMeter + meter << " ;\n"
        << "        lv2:symbol \"" << port.symbol << "\" ;\n"
        << "        lv2:name \"" << port.name << "\" ;\n"
        << "        lv2:minimum " << decimal(port.minimum) << " ;\n"
        << "        lv2:maximum " << decimal(port.maximum) << " ;\n"
        << unitLine(port.unit);
}

void writeAudioPort(std::ostream& out, std::uint32_t index, const char* symbol, const char* name)
{
    const bool input = index == lv2_port::kAudioInLeft || index == lv2_port::kAudioInRight;
    out << "        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n";
}

void writeLatencyPort(std::ostream& out)
{
    out << "        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2_port::kLatency << " ;\n"
        << "        lv2:symbol \"latency\" ;\n"
        << "        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer , pprops:notOnGUI ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum " << decimal(engine_constants::kLatencyFrames) << " ;\n"
        << "        units:unit units:frame ;\n";
}

void writePeakHoldResetPort(std::ostream& out)
{
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2_port::kPeakHoldReset << " ;\n"
        << "        lv2:symbol \"peak_hold_reset\" ;\n"
        << "        lv2:name \"Reset peak hold\" ;\n"
        << "        rdfs:comment \"Any change of this value resets the held peaks.\" ;\n"
        << "        lv2:default 0.0 ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 1.0 ;\n"
        << "        lv2:portProperty lv2:toggled , pprops:notAutomatic ;\n";
}

void writeLoudnessResetPort(std::ostream& out)
{
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << lv2_port::kLoudnessReset << " ;\n"
        << "        lv2:symbol \"loudness_reset\" ;\n"
        << "        lv2:name \"Reset loudness\" ;\n"
        << "        rdfs:comment \"Any change of this value resets the loudness figures.\" ;\n"
        << "        lv2:default 0.0 ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 1.0 ;\n"
        << "        lv2:portProperty lv2:toggled , pprops:notAutomatic ;\n";
}

void writeUi(std::ostream& out)
{
    out << uri(id::kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:binary " << uri(id::kUiBinary) << " ;\n"
        << "    lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize , opts:options , "
           "urid:map ;\n"
        << "    opts:supportedOption ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface";
    // Hosts send control inputs to a UI anyway; outputs only when asked for.
    for (std::uint32_t meter = 0; meter < lv2_port::kMeterCount; ++meter)
    {
        out << " ;\n    ui:portNotification [\n"
            << "        ui:plugin " << uri(id::kPluginUri) << " ;\n"
            << "        lv2:symbol \"" << kMeterPorts[meter].symbol << "\" ;\n"
            << "        ui:protocol ui:floatProtocol\n    ]";
    }
    out << " .\n";
}
} // namespace

void writeManifest(std::ostream& out)
{
    out << kPrefixes;
    out << uri(id::kPluginUri) << "\n    a lv2:Plugin ;\n    lv2:binary " << uri(id::kDspBinary)
        << " ;\n    rdfs:seeAlso " << uri(id::kPluginTtl) << " .\n\n";
    out << uri(id::kUiUri) << "\n    a ui:X11UI ;\n    lv2:binary " << uri(id::kUiBinary)
        << " ;\n    rdfs:seeAlso " << uri(id::kPluginTtl) << " .\n";
    for (int program : distinctPrograms())
    {
        out << "\n"
            << presetUri(program) << "\n    a pset:Preset ;\n    lv2:appliesTo "
            << uri(id::kPluginUri) << " ;\n    rdfs:seeAlso " << uri(id::kPresetsTtl) << " .\n";
    }
}

void writePluginDescription(std::ostream& out)
{
    out << kPrefixes;
    out << uri(id::kPluginUri) << "\n"
        << "    a lv2:Plugin , lv2:LimiterPlugin , doap:Project ;\n"
        << "    doap:name \"" << id::kPluginName << "\" ;\n"
        << "    doap:maintainer [ foaf:name \"" << id::kVendorName << "\" ] ;\n"
        << "    lv2:minorVersion " << id::kMinorVersion << " ;\n"
        << "    lv2:microVersion " << id::kMicroVersion << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable ;\n"
        << "    ui:ui " << uri(id::kUiUri) << " ;\n"
        << "    lv2:port [\n";
    for (int index = 0; index < kNumParams; ++index)
    {
        writeParameterPort(out, index);
        out << "    ] , [\n";
    }
    writeAudioPort(out, lv2_port::kAudioInLeft, "in_left", "In left");
    out << "    ] , [\n";
    writeAudioPort(out, lv2_port::kAudioInRight, "in_right", "In right");
    out << "    ] , [\n";
    writeAudioPort(out, lv2_port::kAudioOutLeft, "out_left", "Out left");
    out << "    ] , [\n";
    writeAudioPort(out, lv2_port::kAudioOutRight, "out_right", "Out right");
    out << "    ] , [\n";
    writeLatencyPort(out);
    for (std::uint32_t meter = 0; meter < lv2_port::kMeterCount; ++meter)
    {
        out << "    ] , [\n";
        writeMeterPort(out, meter);
    }
    out << "    ] , [\n";
    writePeakHoldResetPort(out);
    out << "    ] , [\n";
    writeLoudnessResetPort(out);
    out << "    ] .\n\n";
    writeUi(out);
}

void writePresets(std::ostream& out)
{
    out << kPrefixes;
    for (int program : distinctPrograms())
    {
        out << presetUri(program) << "\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo " << uri(id::kPluginUri) << " ;\n"
            << "    rdfs:label \"" << trimmed(kProgramNameTable[program]) << "\" ;\n"
            << "    lv2:port [\n";
        for (int index = 0; index < kNumParams; ++index)
        {
            out << "        lv2:symbol \"" << kUserUnits[index].symbol << "\" ;\n"
                << "        pset:value " << portValueText(index, kPresetTable[program][index])
                << "\n    ]" << (index + 1 < kNumParams ? " , [\n" : " .\n\n");
        }
    }
}
