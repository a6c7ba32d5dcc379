// The options of varnholt-render.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine
{
    std::string inputPath;  // empty: render the built-in demo
    std::string outputPath; // empty: derived from the input's name
    std::string outputDirectory;
    std::string pluginPath;            // empty: our own plug-in beside the program
    std::string pluginUri;             // chooses within an LV2 bundle; alone, an LV2 URI
    std::string program;               // number or name; empty keeps the plug-in's current program
    std::vector<std::string> settings; // NAME=VALUE, applied in order after the program
    // NAME=VALUE in the VST 2.4 host's normalised 0..1, applied after `settings`.
    std::vector<std::string> normalisedSettings;
    // NAME=VALUE with any finite host value, applied last: for parameters that hold more than
    // 0..1, such as our "Dithering" menu position.
    std::vector<std::string> rawSettings;
    std::string sampleFormat; // empty keeps the input's
    int blockFrames = 512;
    // With --output-dir every positional argument is an input, all of them here.
    std::vector<std::string> inputPaths;
    std::optional<double> targetLufs; // set: master to this integrated loudness
    std::optional<double> ceilingDbtp;
    int jobs = 0; // files rendered at once; 0: one per core
    bool album = false;
    bool plot = false;
    bool list = false;
    bool json = false;
    bool help = false;
};

// Throws HostError on an unknown option, a missing or malformed value, or extra arguments.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kUsageText;
