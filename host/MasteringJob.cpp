#include "host/MasteringJob.h"

#include "parameters/GainLaw.h"
#include "host/HostError.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginInstance.h"
#include "host/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr char kDriveName[] = "Input drive";
constexpr char kTrimName[] = "Output trim";
constexpr char kInterSamplePeakName[] = "InterSamplePeak";
constexpr float kSwitchOn = 1.0f;
constexpr float kSwitchThreshold = 0.5f; // switches are on strictly above it
constexpr std::size_t kChunkFrames = 8192;
constexpr double kGatingBlockSeconds = 0.4; // the shortest programme BS.1770 can measure
// Of a pass, the share of time spent rendering; the rest decodes and measures.
constexpr double kRenderShareOfPass = 0.6;

// The drive applies ten times the law's factor.
const double kDriveOffsetDb = gain_law::kDriveOffsetDb;

std::string oneDecimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", value);
    return text;
}

void configure(PluginInstance& plugin, const PluginSetup& setup)
{
    if (!setup.program.empty())
        selectProgram(plugin, setup.program);
    for (const std::string& setting : setup.settings)
        applySetting(plugin, setting);
    for (const std::string& setting : setup.normalisedSettings)
        applySetting(plugin, setting, SettingScale::Normalised);
    for (const std::string& setting : setup.rawSettings)
        applySetting(plugin, setting, SettingScale::Raw);
    if (setup.interSamplePeakOn)
        if (const int param = findParameter(plugin, kInterSamplePeakName); param >= 0)
            plugin.setParam(param, kSwitchOn);
}
} // namespace

double driveDbAt(double position)
{
    return gain_law::positionToDb(position) + kDriveOffsetDb;
}

double trimDbAt(double position)
{
    return gain_law::positionToDb(position);
}

SourceAudio loadSource(const std::string& path)
{
    AudioReader reader(path);
    SourceAudio source;
    source.path = path;
    source.sampleRateHz = reader.sampleRateHz();
    source.format = reader.format();
    source.samples.resize(2 * static_cast<std::size_t>(std::max(0LL, reader.frames())));
    std::size_t frames = 0;
    while (frames < source.samples.size() / 2)
    {
        const std::size_t got =
            reader.read(source.samples.data() + 2 * frames,
                        std::min(kChunkFrames, source.samples.size() / 2 - frames));
        if (got == 0)
            break;
        frames += got;
    }
    source.samples.resize(2 * frames);
    ProgrammeMeter meter(source.sampleRateHz, fullScaleLevel(source.format));
    meter.add(source.samples.data(), frames);
    meter.finish();
    source.figures = meter.figures();
    source.trace = meter.trace();
    return source;
}

RenderedAudio renderSource(const SourceAudio& source, const PluginSetup& setup,
                           SoundFileFormat format, const std::optional<DriveAndTrim>& gains,
                           const PassProgress& progress)
{
    const std::unique_ptr<PluginInstance> instance =
        setup.source->instantiate(source.sampleRateHz, setup.blockFrames);
    PluginInstance& plugin = *instance;
    configure(plugin, setup);
    const int drive = findParameter(plugin, kDriveName);
    const int trim = findParameter(plugin, kTrimName);
    if (gains)
    {
        if (drive < 0 || trim < 0 || plugin.paramScale() != ParamScale::Normalised)
        {
            throw HostError(
                std::string("mastering to a target needs a plug-in with \"") + kDriveName +
                "\" and \"" + kTrimName +
                "\" parameters taking normalised values, such as Varnholt Pro's VST 2.4 edition");
        }
        plugin.setParam(
            drive, static_cast<float>(gain_law::dbToPosition(gains->driveDb - kDriveOffsetDb)));
        plugin.setParam(trim, static_cast<float>(gain_law::dbToPosition(gains->trimDb)));
    }

    RenderedAudio rendered;
    rendered.pluginName = plugin.name();
    if (drive >= 0 && trim >= 0)
    {
        rendered.drivePosition = plugin.paramValue(drive);
        rendered.trimPosition = plugin.paramValue(trim);
        rendered.gainDb = driveDbAt(rendered.drivePosition) + trimDbAt(rendered.trimPosition);
    }

    if (const int param = findParameter(plugin, kInterSamplePeakName); param >= 0)
        rendered.interSamplePeak = plugin.paramValue(param) > kSwitchThreshold;

    MemoryEncoder encoder(format, source.sampleRateHz, source.samples.size() / 2);
    const std::size_t totalFrames = source.samples.size() / 2;
    std::size_t framesRead = 0;
    const RenderResult result = renderThroughPlugin(
        plugin, setup.blockFrames,
        [&](float* interleaved, std::size_t frames)
        {
            const std::size_t got = std::min(frames, totalFrames - framesRead);
            std::copy_n(source.samples.data() + 2 * framesRead, 2 * got, interleaved);
            framesRead += got;
            if (progress && totalFrames > 0)
                progress(kRenderShareOfPass * static_cast<double>(framesRead) / totalFrames);
            return got;
        },
        [&](const float* interleaved, std::size_t frames) { encoder.write(interleaved, frames); });
    rendered.latencyFrames = result.latencyFrames;
    rendered.processSeconds = result.processSeconds;
    rendered.framesProcessed = result.framesProcessed;
    rendered.file = encoder.finish();

    rendered.meter = std::make_unique<ProgrammeMeter>(source.sampleRateHz, fullScaleLevel(format));
    MemoryDecoder decoder(rendered.file);
    std::vector<float> chunk(2 * kChunkFrames);
    std::size_t framesMeasured = 0;
    while (const std::size_t got = decoder.read(chunk.data(), kChunkFrames))
    {
        rendered.meter->add(chunk.data(), got);
        framesMeasured += got;
        if (progress && totalFrames > 0)
            progress(kRenderShareOfPass + (1.0 - kRenderShareOfPass) *
                                              static_cast<double>(framesMeasured) / totalFrames);
    }
    rendered.meter->finish();
    return rendered;
}

void requireMeasurable(const SourceAudio& source)
{
    const double seconds = static_cast<double>(source.frames()) / source.sampleRateHz;
    if (seconds < kGatingBlockSeconds)
        throw HostError(source.path + " is too short to measure its loudness (" +
                        oneDecimal(seconds) + " s; at least 0.4 s are needed)");
    if (!std::isfinite(source.figures.integratedLufs))
        throw HostError(source.path +
                        " is silent (below the -70 LUFS gate): there is no loudness to work from");
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

MasteredAudio masterSource(const SourceAudio& source, const PluginSetup& setup,
                           SoundFileFormat format, const MasteringGoal& goal,
                           const PassProgress& progress)
{
    requireMeasurable(source);
    MasteredAudio mastered;
    mastered.search = searchDriveAndTrim(
        goal, firstDriveGuessDb(goal, source.figures.integratedLufs, source.figures.truePeakDbtp),
        [&](double driveDb, double trimDb)
        {
            mastered.output =
                renderSource(source, setup, format, DriveAndTrim{driveDb, trimDb}, progress);
            const LoudnessFigures figures = mastered.output.meter->figures();
            return PassFigures{driveDbAt(mastered.output.drivePosition),
                               trimDbAt(mastered.output.trimPosition), figures.integratedLufs,
                               figures.truePeakDbtp};
        });
    if (!mastered.search.reached)
        throw HostError(unreachableMessage(goal, mastered.search));
    return mastered;
}
