#include "host/BatchCommand.h"

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
#include <exception>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace
{
using Clock = std::chrono::steady_clock;
constexpr double kPassesAheadGuess = 2.0; // for the progress of a file still being searched

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

// Puts the rendered file in place and fills in what the summary shows.
void finishFile(FileOutcome& outcome, const SourceAudio& source, const RenderedAudio& rendered,
                const BatchOptions& options)
{
    outcome.pluginName = rendered.pluginName;
    outcome.latencyFrames = rendered.latencyFrames;
    outcome.processSeconds = rendered.processSeconds;
    outcome.framesProcessed = rendered.framesProcessed;
    outcome.output = rendered.meter->figures();
    outcome.drivePosition = rendered.drivePosition;
    outcome.trimPosition = rendered.trimPosition;
    outcome.interSamplePeak = rendered.interSamplePeak;
    const std::vector<double> reduction = gainReductionDb(
        source.trace.meanSquare, rendered.meter->trace().meanSquare, rendered.gainDb);
    outcome.maxGainReductionDb =
        reduction.empty() ? 0.0 : *std::max_element(reduction.begin(), reduction.end());

    // The plot goes first, so that a plot that cannot be written leaves no audio behind; the
    // plot is taken away again if the audio then fails.
    if (options.plot)
    {
        PlotData plot;
        plot.title = fs::path(outcome.file.outputPath).filename().string();
        plot.input = source.trace;
        plot.output = rendered.meter->trace();
        plot.gainReductionDb = reduction;
        plot.inputFigures = source.figures;
        plot.outputFigures = outcome.output;
        if (options.goal)
            plot.goal = *options.goal;
        if (rendered.drivePosition >= 0.0)
            plot.driveAndTrim =
                DriveAndTrim{driveDbAt(rendered.drivePosition), trimDbAt(rendered.trimPosition)};
        writeLoudnessPlot(plotPathFor(outcome.file.outputPath), plot);
    }
    try
    {
        writeFileInPlace(outcome.file.outputPath, rendered.file.data);
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

void describeSource(FileOutcome& outcome, const SourceAudio& source)
{
    outcome.sampleRateHz = source.sampleRateHz;
    outcome.frames = source.frames();
    outcome.input = source.figures;
}

void renderOne(FileOutcome& outcome, const BatchOptions& options, BatchProgress& progress,
               std::size_t index)
{
    const auto started = Clock::now();
    try
    {
        const SourceAudio source = loadSource(outcome.file.inputPath);
        describeSource(outcome, source);
        const SoundFileFormat format = chooseOutputFormat(source.format, outcome.file.outputPath,
                                                          options.sampleType, source.sampleRateHz);
        FileProgress fileProgress(progress, index);
        const PassProgress report = std::ref(fileProgress);
        if (options.goal)
        {
            MasteredAudio mastered =
                masterSource(source, options.setup, format, *options.goal, report);
            outcome.passes = mastered.search.passes;
            finishFile(outcome, source, mastered.output, options);
        }
        else
            finishFile(outcome, source, renderSource(source, options.setup, format, {}, report),
                       options);
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
double albumFirstDriveDb(const MasteringGoal& goal, const std::vector<const SourceAudio*>& sources)
{
    double energy = 0.0;
    double seconds = 0.0;
    double peakDbtp = -std::numeric_limits<double>::infinity();
    for (const SourceAudio* source : sources)
    {
        const double duration = static_cast<double>(source->frames()) / source->sampleRateHz;
        energy += duration * std::pow(10.0, source->figures.integratedLufs / 10.0);
        seconds += duration;
        peakDbtp = std::max(peakDbtp, source->figures.truePeakDbtp);
    }
    return firstDriveGuessDb(goal, 10.0 * std::log10(energy / seconds), peakDbtp);
}

void renderAlbum(std::vector<FileOutcome>& outcomes, const BatchOptions& options,
                 BatchProgress& progress, std::optional<double>& albumLufs)
{
    std::vector<std::optional<SourceAudio>> sources(outcomes.size());
    std::vector<SoundFileFormat> formats(outcomes.size());
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
                        sources[index] = loadSource(outcome.file.inputPath);
                        describeSource(outcome, *sources[index]);
                        requireMeasurable(*sources[index]);
                        formats[index] =
                            chooseOutputFormat(sources[index]->format, outcome.file.outputPath,
                                               options.sampleType, sources[index]->sampleRateHz);
                    }
                    catch (const std::exception& error)
                    {
                        outcome.error = error.what();
                        sources[index].reset();
                        progress.finish(index);
                    }
                });
    // The album is what remains of it once the files that cannot be read are left out.
    std::vector<std::size_t> tracks;
    std::vector<const SourceAudio*> trackSources;
    for (std::size_t index = 0; index < outcomes.size(); ++index)
    {
        if (sources[index])
        {
            tracks.push_back(index);
            trackSources.push_back(&*sources[index]);
        }
    }
    if (tracks.empty())
        return;

    const auto started = Clock::now();
    std::vector<RenderedAudio> rendered(tracks.size());
    std::vector<FileProgress> trackProgress;
    for (std::size_t track : tracks)
        trackProgress.emplace_back(progress, track);
    const MasteringGoal& goal = *options.goal;
    SearchOutcome search;
    try
    {
        search = searchDriveAndTrim(
            goal, albumFirstDriveDb(goal, trackSources),
            [&](double driveDb, double trimDb)
            {
                runParallel(tracks.size(), options.jobs,
                            [&](std::size_t track)
                            {
                                rendered[track] = renderSource(
                                    *trackSources[track], options.setup, formats[tracks[track]],
                                    DriveAndTrim{driveDb, trimDb}, std::ref(trackProgress[track]));
                            });
                std::vector<ProgrammeMeter*> meters;
                double truePeakDbtp = -std::numeric_limits<double>::infinity();
                for (RenderedAudio& track : rendered)
                {
                    meters.push_back(track.meter.get());
                    truePeakDbtp = std::max(truePeakDbtp, track.meter->figures().truePeakDbtp);
                }
                return PassFigures{driveDbAt(rendered.front().drivePosition),
                                   trimDbAt(rendered.front().trimPosition),
                                   ProgrammeMeter::albumLoudnessLufs(meters), truePeakDbtp};
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
    runParallel(tracks.size(), options.jobs,
                [&](std::size_t track)
                {
                    FileOutcome& outcome = outcomes[tracks[track]];
                    const auto written = Clock::now();
                    outcome.passes = search.passes;
                    try
                    {
                        finishFile(outcome, *trackSources[track], rendered[track], options);
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
