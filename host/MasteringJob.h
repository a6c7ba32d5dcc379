// Rendering one file through the plug-in in memory, at the user's settings or at a drive and
// trim, and mastering it to a loudness goal.
#pragma once

#include "host/AudioFile.h"
#include "host/MasteringSearch.h"
#include "host/MemorySoundFile.h"
#include "host/plugins/PluginSource.h"
#include "host/ProgrammeMeter.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How each render's plug-in instance is made and configured.
struct PluginSetup
{
    const PluginSource* source = nullptr; // instantiated once per render
    int blockFrames = 512;
    std::string program;
    std::vector<std::string> settings;           // NAME=VALUE as --set takes it
    std::vector<std::string> normalisedSettings; // NAME=VALUE, 0..1
    std::vector<std::string> rawSettings;        // any finite value
    // Mastering turns inter-sample-peak detection on unless the user set it.
    bool interSamplePeakOn = false;
};

// A whole input file in memory, with its figures.
struct SourceAudio
{
    std::string path;
    int sampleRateHz = 0;
    SoundFileFormat format = 0;
    std::vector<float> samples; // interleaved stereo
    LoudnessFigures figures{};
    LoudnessTrace trace;

    long long frames() const { return static_cast<long long>(samples.size() / 2); }
};

// Reads and measures; throws HostError on a file that cannot be read.
SourceAudio loadSource(const std::string& path);

struct DriveAndTrim
{
    double driveDb;
    double trimDb;
};

// One render: the encoded file exactly as it would be written, and the figures of that file.
struct RenderedAudio
{
    MemorySoundFile file;
    std::unique_ptr<ProgrammeMeter> meter; // finished; kept for album loudness
    std::string pluginName;
    int latencyFrames = 0;
    double processSeconds = 0.0;
    long long framesProcessed = 0;
    double drivePosition = -1.0;         // the plug-in's "Input drive" and "Output trim" values as
    double trimPosition = -1.0;          // rendered; -1 where it has no such parameter
    double gainDb = 0.0;                 // drive and trim together: the gain without any limiting
    std::optional<bool> interSamplePeak; // the detection as rendered, where the plug-in has it
};

// 0 to 1 through the current render.
using PassProgress = std::function<void(double fraction)>;

// A fresh plug-in instance per render, so every render of the same settings is identical
// whatever came before it. Throws HostError.
RenderedAudio renderSource(const SourceAudio& source, const PluginSetup& setup,
                           SoundFileFormat format, const std::optional<DriveAndTrim>& gains,
                           const PassProgress& progress);

// The dB of the drive and trim parameter positions.
double driveDbAt(double position);
double trimDbAt(double position);

struct MasteredAudio
{
    SearchOutcome search;
    RenderedAudio output; // of the last pass
};

// Searches the drive and trim; throws HostError when the goal cannot be met, saying how loud
// the programme can go, or when the input is silent or too short to measure.
MasteredAudio masterSource(const SourceAudio& source, const PluginSetup& setup,
                           SoundFileFormat format, const MasteringGoal& goal,
                           const PassProgress& progress);

// The message for a goal out of reach.
std::string unreachableMessage(const MasteringGoal& goal, const SearchOutcome& search);

// Throws HostError when a programme has no integrated loudness to work from.
void requireMeasurable(const SourceAudio& source);
