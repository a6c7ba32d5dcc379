// A picture of a render for people: short-term loudness in and out over time, the output's
// true peak, the gain reduction, target and ceiling, and the figures in a legend.
#pragma once

#include "host/FileLoudnessMeter.h"
#include "host/MasteringSearch.h"
#include "host/RenderPass.h"

#include <optional>
#include <string>
#include <vector>

constexpr int kPlotWidthPixels = 1200;
constexpr int kPlotHeightPixels = 700;

struct PlotData
{
    std::string title;
    LoudnessTrace input;
    LoudnessTrace output;
    std::vector<double> gainReductionDb; // per trace step
    FileLoudnessFigures inputFigures{};
    FileLoudnessFigures outputFigures{};
    std::optional<MasteringGoal> goal;
    std::optional<DriveAndTrim> driveAndTrim;
};

// Writes the PNG in place (temporary beside it, renamed when complete); throws HostError.
void writeLoudnessPlot(const std::string& path, const PlotData& plot);
