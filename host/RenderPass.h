// One pass of a job over one file: the input read from disk in blocks, through a fresh plug-in
// instance, encoded into a temporary beside the output, then decoded from there and measured,
// so the figures are those of the file as written and memory stays flat in the file's length.
#pragma once

#include "host/AudioFile.h"
#include "host/FileLoudnessMeter.h"
#include "host/plugins/PluginSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How each pass's plug-in instance is made and configured.
struct PluginSetup
{
    const PluginSource* source = nullptr; // instantiated once per pass
    int blockFrames = 512;
    std::string program;
    std::vector<std::string> settings;           // NAME=VALUE as --set takes it
    std::vector<std::string> normalisedSettings; // NAME=VALUE, 0..1
    std::vector<std::string> rawSettings;        // any finite value
    // Mastering turns inter-sample-peak detection on unless the user set it.
    bool interSamplePeakOn = false;
};

struct DriveAndTrim
{
    double driveDb;
    double trimDb;
};

// The input as the analysis pass found it.
struct MeasuredInput
{
    std::string path;
    int sampleRateHz = 0;
    SoundFileFormat format = 0;
    long long frames = 0; // read
    std::unique_ptr<FileLoudnessMeter> meter;
};

// 0 to 1 through the current pass.
using PassProgress = std::function<void(double fraction)>;

// Reads and measures the whole input; throws HostError on a file that cannot be read or
// measured, with non-finite samples, or that ends before its header says.
MeasuredInput measureInput(const std::string& path, const PassProgress& progress);

// A pipe can be read only once, and a master reads its input once per pass: an input that is no
// regular file is copied into a temporary beside `besidePath` (removed with the writer), whose
// path then serves as the input. Null for a regular file. Throws HostError as measureInput.
std::unique_ptr<AudioWriter> spoolStream(const std::string& path, const std::string& besidePath);

// Opens the input and checks what every pass needs of it; throws HostError.
std::unique_ptr<AudioReader> openInput(const std::string& path);

struct PassResult
{
    std::unique_ptr<AudioWriter> output;            // complete, not yet in place
    std::unique_ptr<FileLoudnessMeter> outputMeter; // of the file as written, finished
    std::unique_ptr<FileLoudnessMeter> inputMeter;  // when asked for, finished
    std::string pluginName;
    long long framesRead = 0;
    long long framesClaimed = -1; // by the input's header; -1 when left open
    int latencyFrames = 0;
    int latencyChangedToFrames = -1;
    double processSeconds = 0.0;
    long long framesProcessed = 0;
    // The drive and trim as the engine applied them, where the plug-in is one of our editions.
    std::optional<DriveAndTrim> gains;
    double drivePosition = -1.0;
    double trimPosition = -1.0;
    std::optional<bool> interSamplePeak; // the detection as rendered, where the plug-in has it
};

// One pass; `gains` set: at that drive and trim (throws HostError for a plug-in that is none of
// our editions). A fresh instance each time, so equal settings give equal files.
// sampleType: the output's, as chooseOutputFormat takes it.
PassResult renderPass(const std::string& inputPath, const std::string& outputPath, int sampleType,
                      const PluginSetup& setup, const std::optional<DriveAndTrim>& gains,
                      bool measureTheInput, const PassProgress& progress);

// The message for an input that ended before its header said it would.
std::string cutShortMessage(const std::string& path, long long framesRead, long long framesClaimed);
