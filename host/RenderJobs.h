// Every render is a job: one file or a batch (--output-dir), several at once, plain or mastered
// to a goal, with one progress display and one outcome per file; each output is put in place
// only when complete. A plain render is a job without a goal.
#pragma once

#include "host/CommandLine.h"
#include "host/MasteringSearch.h"
#include "host/RenderPass.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct BatchFile
{
    std::string inputPath;
    std::string outputPath;
};

struct BatchOptions
{
    PluginSetup setup;
    int sampleType = 0; // 0 keeps the input's
    std::optional<MasteringGoal> goal;
    int jobs = 1;
    bool album = false;
    bool plot = false;
};

// What became of one file.
struct FileOutcome
{
    BatchFile file;
    std::string error; // empty when written
    std::vector<std::string> warnings;
    std::string pluginName;
    int latencyFrames = 0;
    int sampleRateHz = 0;
    long long frames = 0;
    double seconds = 0.0; // wall-clock, from reading the input to the output in place
    double processSeconds = 0.0;
    long long framesProcessed = 0;
    FileLoudnessFigures input{};
    FileLoudnessFigures output{};
    double maxGainReductionDb = 0.0;
    double drivePosition = -1.0; // -1: the plug-in is none of our editions
    double trimPosition = -1.0;
    double driveDb = 0.0;
    double trimDb = 0.0;
    std::optional<bool> interSamplePeak;
    std::vector<PassFigures> passes; // mastering only
    std::string plotPath;            // empty: none drawn
};

struct BatchOutcome
{
    std::vector<FileOutcome> files;
    std::optional<double> albumLufs; // --album: the files played in order
    double seconds = 0.0;
};

// The batch's settings from the command line: mastering turns inter-sample-peak detection on
// unless the user set it; --jobs defaults to one per core.
BatchOptions batchOptionsFrom(const CommandLine& options, const PluginSource& source);

BatchOutcome renderBatch(const std::vector<BatchFile>& files, const BatchOptions& options);

// The message for a goal out of reach.
std::string unreachableMessage(const MasteringGoal& goal, const SearchOutcome& search);
