// The report printed after a render: a table for people, JSON for scripts.
#pragma once

#include "host/FileLoudnessMeter.h"

#include <string>

struct RenderReport
{
    std::string pluginName;
    int latencyFrames = 0;
    int sampleRateHz = 0;
    long long frames = 0;
    double renderSeconds = 0.0;    // wall-clock time of the render, file I/O included
    double processSeconds = 0.0;   // wall-clock time inside the plug-in's process calls only
    long long framesProcessed = 0; // frames those calls processed, the silent tail included
    std::string inputPath;
    std::string outputPath;
    FileLoudnessFigures input{};
    FileLoudnessFigures output{};
};

std::string formatReportTable(const RenderReport& report);

// One JSON object; levels of silence (-inf) are null.
std::string formatReportJson(const RenderReport& report);
