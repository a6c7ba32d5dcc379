// Rendering or mastering files as jobs: one file or a batch (--output-dir), several at once,
// one progress display, a summary at the end, and each output put in place only when complete.
#pragma once

#include "host/CommandLine.h"
#include "host/MasteringJob.h"

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
    std::string pluginName;
    int latencyFrames = 0;
    int sampleRateHz = 0;
    long long frames = 0;
    double seconds = 0.0; // wall-clock, from reading the input to the output in place
    double processSeconds = 0.0;
    long long framesProcessed = 0;
    LoudnessFigures input{};
    LoudnessFigures output{};
    double maxGainReductionDb = 0.0;
    double drivePosition = -1.0; // -1: the plug-in has no such parameter
    double trimPosition = -1.0;
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
