#include "host/RenderJobs.h"

#include "host/BatchProgress.h"
#include "host/GainReduction.h"
#include "host/HostError.h"
#include "host/LoudnessPlot.h"
#include "host/OutputFile.h"
#include "host/plugins/PluginControls.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace
{
using Clock = std::chrono::steady_clock;
constexpr double kPassesAheadGuess = 2.0;   // for the progress of a file still being searched
constexpr double kGatingBlockSeconds = 0.4; // the shortest programme BS.1770 can measure

double secondsSince(Clock::time_point started)
{
    return std::chrono::duration<double>(Clock::now() - started).count();
}

// Runs work(0..count-1) on up to `jobs` threads, this one included. The first exception thrown
// by any work stops the others taking more and is rethrown here once every thread has ended.
template <typename Work> void runParallel(std::size_t count, int jobs, const Work& work)
{
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto worker = [&]
    {
        try
        {
            for (std::size_t index = next++; index < count; index = next++)
                work(index);
        }
        catch (...)
        {
            next = count;
            const std::lock_guard<std::mutex> hold(failureLock);
            if (!failure)
                failure = std::current_exception();
        }
    };
    const std::size_t helpers = std::min<std::size_t>(count, std::max(1, jobs)) - (count > 0);
    std::vector<std::thread> threads;
    try
    {
        for (std::size_t helper = 0; helper < helpers; ++helper)
            threads.emplace_back(worker);
    }
    catch (...)
    {
        // No thread to be had: the ones started and this one do the work.
    }
    worker();
    for (std::thread& thread : threads)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

// A file's share done from its passes' progress: passes are counted as they restart.
class FileProgress
{
  public:
    FileProgress(BatchProgress& batchProgress, std::size_t fileIndex)
        : batch(batchProgress), file(fileIndex)
    {
    }

    void operator()(double passFraction)
    {
        if (passFraction < lastFraction)
            ++pass;
        lastFraction = passFraction;
        // A mastering file takes a few passes; the estimate only has to keep moving forward.
        batch.update(file, (pass + passFraction) / (pass + kPassesAheadGuess));
    }

  private:
    BatchProgress& batch;
    std::size_t file;
    int pass = 0;
    double lastFraction = 0.0;
};

std::string plotPathFor(const std::string& outputPath)
{
    return fs::path(outputPath).replace_extension(".png").string();
}

// Two names for one file: the same inode when both exist, else the same absolute path once
// "." and ".." are resolved.
bool samePlace(const std::string& one, const std::string& other)
{
    std::error_code error;
    if (fs::exists(one, error) && fs::exists(other, error))
        return fs::equivalent(one, other, error);
    return fs::absolute(one, error).lexically_normal() ==
           fs::absolute(other, error).lexically_normal();
}

// Before anything is written: no file the batch writes may be one of its inputs or a file another
// of its inputs writes. The files that would collide fail; the others go ahead.
void refuseCollisions(std::vector<FileOutcome>& outcomes, bool plot)
{
    std::vector<std::vector<std::string>> written(outcomes.size());
    for (std::size_t index = 0; index < outcomes.size(); ++index)
    {
        written[index].push_back(outcomes[index].file.outputPath);
        if (plot)
            written[index].push_back(plotPathFor(outcomes[index].file.outputPath));
    }
    for (std::size_t index = 0; index < outcomes.size(); ++index)
    {
        // An output already named .png would have its plot written over it.
        if (plot && samePlace(written[index][0], written[index][1]))
        {
            outcomes[index].error = "the plot would overwrite the output " + written[index][0] +
                                    "; give the output another extension";
            continue;
        }
        for (const std::string& path : written[index])
        {
            for (const FileOutcome& other : outcomes)
            {
                if (samePlace(path, other.file.inputPath))
                {
                    outcomes[index].error =
                        "the output would overwrite the input file " + other.file.inputPath;
                }
            }
            for (std::size_t earlier = 0; earlier < index; ++earlier)
            {
                for (const std::string& taken : written[earlier])
                {
                    if (samePlace(path, taken))
                        outcomes[index].error = "another input already writes " + taken;
                }
            }
            if (!outcomes[index].error.empty())
                break;
        }
    }
}

// What a file's input measured, for its report and plot.
struct InputFigures
{
    FileLoudnessFigures figures{};
    LoudnessTrace trace;
};

// A master whose loudest seconds lose more than this to the limiter sounds squashed.
constexpr double kHeavyLimitingDb = 6.0;

std::string oneDecimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", value);
    return text;
}

// Puts the rendered file in place and fills in what the summary shows.
void finishFile(FileOutcome& outcome, const InputFigures& input, PassResult& pass,
                const BatchOptions& options)
{
    outcome.pluginName = pass.pluginName;
    outcome.latencyFrames = pass.latencyFrames;
    outcome.processSeconds = pass.processSeconds;
    outcome.framesProcessed = pass.framesProcessed;
    outcome.output = pass.outputMeter->figures();
    outcome.drivePosition = pass.drivePosition;
    outcome.trimPosition = pass.trimPosition;
    if (pass.gains)
    {
        outcome.driveDb = pass.gains->driveDb;
        outcome.trimDb = pass.gains->trimDb;
    }
    outcome.interSamplePeak = pass.interSamplePeak;
    if (pass.latencyChangedToFrames >= 0)
    {
        outcome.warnings.push_back("the plug-in changed its latency from " +
                                   std::to_string(pass.latencyFrames) + " to " +
                                   std::to_string(pass.latencyChangedToFrames) +
                                   " frames during the render; the output is compensated for " +
                                   std::to_string(pass.latencyFrames));
    }
    const double gainDb = pass.gains ? pass.gains->driveDb + pass.gains->trimDb : 0.0;
    const std::vector<double> reduction =
        gainReductionDb(input.trace.meanSquare, pass.outputMeter->trace().meanSquare, gainDb);
    outcome.maxGainReductionDb =
        reduction.empty() ? 0.0 : *std::max_element(reduction.begin(), reduction.end());
    if (options.goal)
    {
        const double loudestDb = loudestSecondsReductionDb(reduction, input.trace.shortTermLufs);
        if (loudestDb > kHeavyLimitingDb)
            outcome.warnings.push_back("the master needs heavy limiting: " + oneDecimal(loudestDb) +
                                       " dB of gain reduction in its loudest 3 seconds");
    }

    // The plot goes first, so that a plot that cannot be written leaves no audio behind; the
    // plot is taken away again if the audio then fails.
    if (options.plot)
    {
        PlotData plot;
        plot.title = fs::path(outcome.file.outputPath).filename().string();
        plot.input = input.trace;
        plot.output = pass.outputMeter->trace();
        plot.gainReductionDb = reduction;
        plot.inputFigures = input.figures;
        plot.outputFigures = outcome.output;
        if (options.goal)
            plot.goal = *options.goal;
        plot.driveAndTrim = pass.gains;
        writeLoudnessPlot(plotPathFor(outcome.file.outputPath), plot);
    }
    try
    {
        pass.output->commit();
    }
    catch (const std::exception&)
    {
        std::error_code ignored;
        if (options.plot)
            fs::remove(plotPathFor(outcome.file.outputPath), ignored);
        throw;
    }
    if (options.plot)
        outcome.plotPath = plotPathFor(outcome.file.outputPath);
}

void describeInput(FileOutcome& outcome, int sampleRateHz, long long frames,
                   const FileLoudnessMeter& meter)
{
    outcome.sampleRateHz = sampleRateHz;
    outcome.frames = frames;
    outcome.input = meter.figures();
}

// Throws HostError when a programme has no integrated loudness to work from.
void requireMeasurable(const MeasuredInput& input)
{
    const double seconds = static_cast<double>(input.frames) / input.sampleRateHz;
    if (seconds < kGatingBlockSeconds)
        throw HostError(input.path + " is too short to measure its loudness (" +
                        oneDecimal(seconds) + " s; at least 0.4 s are needed)");
    if (!std::isfinite(input.meter->figures().integratedLufs))
        throw HostError(input.path +
                        " is silent (below the -70 LUFS gate): there is no loudness to work from");
}

// Each pass of a master reads the whole file the analysis read.
void requireWholeInput(const MeasuredInput& input, const PassResult& pass)
{
    if (pass.framesRead != input.frames)
    {
        throw HostError(input.path + " changed while rendering (" +
                        std::to_string(pass.framesRead) + " frames read of " +
                        std::to_string(input.frames) +
                        "): a master of the whole file cannot be made");
    }
}

PassFigures figuresOf(const PassResult& pass)
{
    const FileLoudnessFigures figures = pass.outputMeter->figures();
    return PassFigures{pass.gains->driveDb, pass.gains->trimDb, figures.integratedLufs,
                       figures.truePeakDbtp};
}

void renderOne(FileOutcome& outcome, const BatchOptions& options, BatchProgress& progress,
               std::size_t index)
{
    const auto started = Clock::now();
    try
    {
        FileProgress fileProgress(progress, index);
        const PassProgress report = std::ref(fileProgress);
        const std::string& inputPath = outcome.file.inputPath;
        if (options.goal)
        {
            const std::unique_ptr<AudioWriter> spool =
                spoolStream(inputPath, outcome.file.outputPath);
            const std::string& readPath = spool ? spool->temporaryPath() : inputPath;
            MeasuredInput input = measureInput(readPath, report);
            input.path = inputPath;
            describeInput(outcome, input.sampleRateHz, input.frames, *input.meter);
            requireMeasurable(input);
            const FileLoudnessFigures& in = outcome.input;
            std::optional<PassResult> last;
            const SearchOutcome search = searchDriveAndTrim(
                *options.goal, firstDriveGuessDb(*options.goal, in.integratedLufs, in.truePeakDbtp),
                [&](double driveDb, double trimDb)
                {
                    last.reset(); // one temporary at a time
                    last = renderPass(readPath, outcome.file.outputPath, options.sampleType,
                                      options.setup, DriveAndTrim{driveDb, trimDb}, false, report);
                    requireWholeInput(input, *last);
                    return figuresOf(*last);
                });
            outcome.passes = search.passes;
            if (!search.reached)
                throw HostError(unreachableMessage(*options.goal, search));
            finishFile(outcome, {input.meter->figures(), input.meter->trace()}, *last, options);
        }
        else
        {
            PassResult pass = renderPass(inputPath, outcome.file.outputPath, options.sampleType,
                                         options.setup, std::nullopt, true, report);
            describeInput(outcome, pass.inputMeter->sampleRateHz(), pass.framesRead,
                          *pass.inputMeter);
            if (pass.framesClaimed > pass.framesRead)
            {
                outcome.warnings.push_back(
                    cutShortMessage(inputPath, pass.framesRead, pass.framesClaimed) +
                    "; the output holds what there was");
            }
            finishFile(outcome, {pass.inputMeter->figures(), pass.inputMeter->trace()}, pass,
                       options);
        }
    }
    catch (const std::exception& error)
    {
        outcome.error = error.what();
    }
    outcome.seconds = secondsSince(started);
    progress.finish(index);
}

// The first drive's guess for an album, from its files' loudness (their energy by duration, a
// close estimate of the gated whole) and their highest peak.
double albumFirstDriveDb(const MasteringGoal& goal, const std::vector<const MeasuredInput*>& inputs)
{
    double energy = 0.0;
    double seconds = 0.0;
    double peakDbtp = -std::numeric_limits<double>::infinity();
    for (const MeasuredInput* input : inputs)
    {
        const FileLoudnessFigures figures = input->meter->figures();
        const double duration = static_cast<double>(input->frames) / input->sampleRateHz;
        energy += duration * std::pow(10.0, figures.integratedLufs / 10.0);
        seconds += duration;
        peakDbtp = std::max(peakDbtp, figures.truePeakDbtp);
    }
    return firstDriveGuessDb(goal, 10.0 * std::log10(energy / seconds), peakDbtp);
}

void renderAlbum(std::vector<FileOutcome>& outcomes, const BatchOptions& options,
                 BatchProgress& progress, std::optional<double>& albumLufs)
{
    std::vector<std::optional<MeasuredInput>> inputs(outcomes.size());
    runParallel(outcomes.size(), options.jobs,
                [&](std::size_t index)
                {
                    FileOutcome& outcome = outcomes[index];
                    if (!outcome.error.empty())
                    {
                        progress.finish(index);
                        return;
                    }
                    try
                    {
                        inputs[index] = measureInput(outcome.file.inputPath, {});
                        const MeasuredInput& input = *inputs[index];
                        describeInput(outcome, input.sampleRateHz, input.frames, *input.meter);
                        requireMeasurable(input);
                        // A track whose output cannot be written leaves the album before its
                        // search.
                        chooseOutputFormat(input.format, outcome.file.outputPath,
                                           options.sampleType, input.sampleRateHz);
                    }
                    catch (const std::exception& error)
                    {
                        outcome.error = error.what();
                        inputs[index].reset();
                        progress.finish(index);
                    }
                });
    // The album is what remains of it once the files that cannot be read are left out.
    std::vector<std::size_t> tracks;
    std::vector<const MeasuredInput*> trackInputs;
    for (std::size_t index = 0; index < outcomes.size(); ++index)
    {
        if (inputs[index])
        {
            tracks.push_back(index);
            trackInputs.push_back(&*inputs[index]);
        }
    }
    if (tracks.empty())
        return;

    const auto started = Clock::now();
    std::vector<std::optional<PassResult>> rendered(tracks.size());
    std::vector<FileProgress> trackProgress;
    for (std::size_t track : tracks)
        trackProgress.emplace_back(progress, track);
    const MasteringGoal& goal = *options.goal;
    SearchOutcome search;
    try
    {
        search = searchDriveAndTrim(
            goal, albumFirstDriveDb(goal, trackInputs),
            [&](double driveDb, double trimDb)
            {
                runParallel(tracks.size(), options.jobs,
                            [&](std::size_t track)
                            {
                                const FileOutcome& outcome = outcomes[tracks[track]];
                                rendered[track].reset();
                                rendered[track] =
                                    renderPass(outcome.file.inputPath, outcome.file.outputPath,
                                               options.sampleType, options.setup,
                                               DriveAndTrim{driveDb, trimDb}, false,
                                               std::ref(trackProgress[track]));
                                requireWholeInput(*trackInputs[track], *rendered[track]);
                            });
                std::vector<const FileLoudnessMeter*> meters;
                double truePeakDbtp = -std::numeric_limits<double>::infinity();
                for (const std::optional<PassResult>& track : rendered)
                {
                    meters.push_back(track->outputMeter.get());
                    truePeakDbtp =
                        std::max(truePeakDbtp, track->outputMeter->figures().truePeakDbtp);
                }
                PassFigures figures = figuresOf(*rendered.front());
                figures.loudnessLufs = FileLoudnessMeter::albumLoudnessLufs(meters);
                figures.truePeakDbtp = truePeakDbtp;
                return figures;
            });
        if (!search.reached)
            throw HostError("the album " + unreachableMessage(goal, search));
        albumLufs = search.passes.back().loudnessLufs;
    }
    catch (const std::exception& error)
    {
        for (std::size_t track : tracks)
        {
            outcomes[track].error = error.what();
            outcomes[track].passes = search.passes;
            progress.finish(track);
        }
        return;
    }
    const double searchSeconds = secondsSince(started);
    runParallel(
        tracks.size(), options.jobs,
        [&](std::size_t track)
        {
            FileOutcome& outcome = outcomes[tracks[track]];
            const auto written = Clock::now();
            outcome.passes = search.passes;
            try
            {
                const FileLoudnessMeter& meter = *trackInputs[track]->meter;
                finishFile(outcome, {meter.figures(), meter.trace()}, *rendered[track], options);
            }
            catch (const std::exception& error)
            {
                outcome.error = error.what();
            }
            outcome.seconds = searchSeconds + secondsSince(written);
            progress.finish(tracks[track]);
        });
}

// The user named the parameter in --set, --set-normalised or --set-raw.
bool userSets(const CommandLine& options, const std::string& name)
{
    std::vector<std::string> settings = options.settings;
    settings.insert(settings.end(), options.normalisedSettings.begin(),
                    options.normalisedSettings.end());
    settings.insert(settings.end(), options.rawSettings.begin(), options.rawSettings.end());
    return std::any_of(
        settings.begin(), settings.end(),
        [&](const std::string& setting)
        { return nameKeyOf(setting.substr(0, setting.rfind('='))) == nameKeyOf(name); });
}
} // namespace

BatchOptions batchOptionsFrom(const CommandLine& options, const PluginSource& source)
{
    BatchOptions batch;
    batch.setup = {&source,
                   options.blockFrames,
                   options.program,
                   options.settings,
                   options.normalisedSettings,
                   options.rawSettings,
                   options.targetLufs && !userSets(options, "InterSamplePeak")};
    batch.sampleType = options.sampleFormat.empty() ? 0 : sampleTypeNamed(options.sampleFormat);
    if (options.targetLufs)
        batch.goal = MasteringGoal{*options.targetLufs,
                                   options.ceilingDbtp.value_or(MasteringGoal{}.ceilingDbtp)};
    batch.jobs = options.jobs > 0
                     ? options.jobs
                     : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    batch.album = options.album;
    batch.plot = options.plot;
    return batch;
}

std::string unreachableMessage(const MasteringGoal& goal, const SearchOutcome& search)
{
    std::string message = "cannot reach " + oneDecimal(goal.targetLufs) + " LUFS under " +
                          oneDecimal(goal.ceilingDbtp) + " dBTP: ";
    if (search.trimUnsettled)
    {
        return message + "the output still measured " +
               oneDecimal(search.passes.back().loudnessLufs) + " LUFS after " +
               std::to_string(search.passes.size()) + " renders";
    }
    if (!std::isfinite(search.loudestLufs))
        return message + "the output stays silent";
    // Rounded down, so that asking for the figure given succeeds.
    message += "at most " + oneDecimal(std::floor(search.loudestLufs * 10.0) / 10.0) + " LUFS";
    if (search.driveRanOut)
        message += " (at the largest drive, +20 dB)";
    return message;
}

BatchOutcome renderBatch(const std::vector<BatchFile>& files, const BatchOptions& options)
{
    const auto started = Clock::now();
    BatchOutcome batch;
    batch.files.resize(files.size());
    for (std::size_t index = 0; index < files.size(); ++index)
        batch.files[index].file = files[index];
    refuseCollisions(batch.files, options.plot);

    BatchProgress progress(stderr, files.size());
    if (options.album)
        renderAlbum(batch.files, options, progress, batch.albumLufs);
    else
    {
        runParallel(files.size(), options.jobs,
                    [&](std::size_t index)
                    {
                        if (batch.files[index].error.empty())
                            renderOne(batch.files[index], options, progress, index);
                        else
                            progress.finish(index);
                    });
    }
    batch.seconds = secondsSince(started);
    return batch;
}
