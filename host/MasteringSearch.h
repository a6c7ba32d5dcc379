// Finding the input drive and output trim that bring a programme to a loudness target under a
// true-peak ceiling. The trim acts after the limiter and only lowers, so each drive needs one
// render: its loudness and true peak give the trim directly. Only the drive is searched.
#pragma once

#include <functional>
#include <vector>

struct MasteringGoal
{
    double targetLufs = -14.0;
    double ceilingDbtp = -1.0;
};

constexpr double kMinDriveDb = -52.0; // the ends of "Input drive"
constexpr double kMaxDriveDb = 20.0;
constexpr double kMinTrimDb = -72.0; // the ends of "Output trim"
constexpr double kMaxTrimDb = 0.0;
constexpr double kLoudnessToleranceLu = 0.1;

// The written result of one render at a drive and trim, as libebur128 measures it.
struct PassFigures
{
    double driveDb = 0.0;
    double trimDb = 0.0;
    double loudnessLufs = 0.0;
    double truePeakDbtp = 0.0;
};

using RunPass = std::function<PassFigures(double driveDb, double trimDb)>;

struct SearchOutcome
{
    bool reached = false;
    // Every render in order; when reached, the last one meets the goal with the least drive
    // found to do so.
    std::vector<PassFigures> passes;
    // Loudest integrated loudness any drive tried reaches with its trim holding the ceiling.
    double loudestLufs = 0.0;
    // The target needed more than the largest drive (else the limiter ran out of loudness).
    bool driveRanOut = false;
    // The drive reached the target but re-trimming never landed within tolerance (a lossy
    // output format, say).
    bool trimUnsettled = false;
};

// The first drive to try: what the loudness asks for, plus most of what the limiter will take
// back where the peaks would pass the ceiling.
double firstDriveGuessDb(const MasteringGoal& goal, double inputLufs, double inputPeakDbtp);

// startDriveDb: the first drive to try.
SearchOutcome searchDriveAndTrim(const MasteringGoal& goal, double startDriveDb,
                                 const RunPass& runPass);
