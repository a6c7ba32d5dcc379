#include "host/RenderPass.h"

#include "host/HostError.h"
#include "host/PluginStream.h"
#include "host/plugins/MasteringGains.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginInstance.h"

#include <cmath>
#include <filesystem>

namespace
{
constexpr char kInterSamplePeakName[] = "InterSamplePeak";
constexpr float kSwitchOn = 1.0f;
constexpr float kSwitchThreshold = 0.5f; // switches are on strictly above it
constexpr std::size_t kChunkFrames = 8192;
// Of a pass, the share of time spent rendering; the rest decodes and measures.
constexpr double kRenderShareOfPass = 0.6;
constexpr char kSpoolSuffix[] = ".input";

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

// Reads a block and refuses samples no meter or plug-in can take.
std::size_t readChecked(AudioReader& reader, const std::string& path, float* interleaved,
                        std::size_t frames, long long framesBefore)
{
    const std::size_t got = reader.read(interleaved, frames);
    for (std::size_t sample = 0; sample < 2 * got; ++sample)
    {
        if (!std::isfinite(interleaved[sample]))
            throw HostError(path + " has non-finite samples (NaN or infinity) from frame " +
                            std::to_string(framesBefore + static_cast<long long>(sample / 2)));
    }
    return got;
}

double fractionOf(long long done, long long total)
{
    return total > 0 ? std::min(1.0, static_cast<double>(done) / static_cast<double>(total)) : 0.0;
}

std::unique_ptr<FileLoudnessMeter> decodeAndMeasure(const AudioWriter& output, int sampleRateHz,
                                                    long long frames, const PassProgress& progress)
{
    auto meter = std::make_unique<FileLoudnessMeter>(sampleRateHz, fullScaleLevel(output.format()));
    AudioReader written(output.temporaryPath());
    std::vector<float> chunk(2 * kChunkFrames);
    long long measured = 0;
    while (const std::size_t got = written.read(chunk.data(), kChunkFrames))
    {
        meter->add(chunk.data(), got);
        measured += static_cast<long long>(got);
        if (progress)
            progress(kRenderShareOfPass +
                     (1.0 - kRenderShareOfPass) * fractionOf(measured, frames));
    }
    meter->finish();
    return meter;
}
} // namespace

std::string cutShortMessage(const std::string& path, long long framesRead, long long framesClaimed)
{
    return path + " ends after " + std::to_string(framesRead) +
           " frames although its header says " + std::to_string(framesClaimed);
}

std::unique_ptr<AudioReader> openInput(const std::string& path)
{
    auto reader = std::make_unique<AudioReader>(path);
    const int rateHz = reader->sampleRateHz();
    if (rateHz < kLowestMeasurableRateHz || rateHz > kHighestMeasurableRateHz)
    {
        throw HostError(path + " is at " + std::to_string(rateHz) +
                        " Hz, where loudness cannot be measured (" +
                        std::to_string(kLowestMeasurableRateHz) + " to " +
                        std::to_string(kHighestMeasurableRateHz) + " Hz can)");
    }
    return reader;
}

std::unique_ptr<AudioWriter> spoolStream(const std::string& path, const std::string& besidePath)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error) || std::filesystem::is_regular_file(path, error))
        return nullptr;
    const std::unique_ptr<AudioReader> reader = openInput(path);
    // W64 holds more than 4 GB; floats hold every sample as it was read.
    auto spool = std::make_unique<AudioWriter>(
        besidePath + kSpoolSuffix, SF_FORMAT_W64 | SF_FORMAT_FLOAT, reader->sampleRateHz());
    std::vector<float> chunk(2 * kChunkFrames);
    long long frames = 0;
    while (const std::size_t got = readChecked(*reader, path, chunk.data(), kChunkFrames, frames))
    {
        spool->write(chunk.data(), got);
        frames += static_cast<long long>(got);
    }
    if (reader->claimedFrames() > frames)
        throw HostError(cutShortMessage(path, frames, reader->claimedFrames()) +
                        ": a master of the whole file cannot be made");
    spool->close();
    return spool;
}

MeasuredInput measureInput(const std::string& path, const PassProgress& progress)
{
    const std::unique_ptr<AudioReader> reader = openInput(path);
    MeasuredInput input;
    input.path = path;
    input.sampleRateHz = reader->sampleRateHz();
    input.format = reader->format();
    input.meter =
        std::make_unique<FileLoudnessMeter>(input.sampleRateHz, fullScaleLevel(input.format));
    std::vector<float> chunk(2 * kChunkFrames);
    while (const std::size_t got =
               readChecked(*reader, path, chunk.data(), kChunkFrames, input.frames))
    {
        input.meter->add(chunk.data(), got);
        input.frames += static_cast<long long>(got);
        if (progress)
            progress(fractionOf(input.frames, reader->frames()));
    }
    input.meter->finish();
    if (reader->claimedFrames() > input.frames)
        throw HostError(cutShortMessage(path, input.frames, reader->claimedFrames()) +
                        ": a master of the whole file cannot be made");
    return input;
}

PassResult renderPass(const std::string& inputPath, const std::string& outputPath, int sampleType,
                      const PluginSetup& setup, const std::optional<DriveAndTrim>& gains,
                      bool measureTheInput, const PassProgress& progress)
{
    const std::unique_ptr<AudioReader> reader = openInput(inputPath);
    const int rateHz = reader->sampleRateHz();
    const SoundFileFormat format =
        chooseOutputFormat(reader->format(), outputPath, sampleType, rateHz);
    const std::unique_ptr<PluginInstance> instance =
        setup.source->instantiate(rateHz, setup.blockFrames);
    PluginInstance& plugin = *instance;
    configure(plugin, setup);
    const std::unique_ptr<MasteringGains> controls = masteringGainsOf(plugin);
    if (gains)
    {
        if (!controls)
        {
            throw HostError("mastering to a target needs a plug-in with \"Input drive\" and "
                            "\"Output trim\" parameters whose gains are known in dB, such as "
                            "Varnholt Pro's VST 2.4 and LV2 editions");
        }
        controls->set(gains->driveDb, gains->trimDb);
    }

    PassResult pass;
    pass.pluginName = plugin.name();
    pass.framesClaimed = reader->claimedFrames();
    if (controls)
    {
        pass.gains = DriveAndTrim{controls->driveDb(), controls->trimDb()};
        pass.drivePosition = controls->drivePosition();
        pass.trimPosition = controls->trimPosition();
    }
    if (const int param = findParameter(plugin, kInterSamplePeakName); param >= 0)
        pass.interSamplePeak = plugin.paramValue(param) > kSwitchThreshold;

    if (measureTheInput)
        pass.inputMeter =
            std::make_unique<FileLoudnessMeter>(rateHz, fullScaleLevel(reader->format()));
    pass.output = std::make_unique<AudioWriter>(outputPath, format, rateHz);
    const long long expectedFrames = reader->frames();
    const RenderResult result = renderThroughPlugin(
        plugin, setup.blockFrames,
        [&](float* interleaved, std::size_t frames)
        {
            const std::size_t got =
                readChecked(*reader, inputPath, interleaved, frames, pass.framesRead);
            if (pass.inputMeter)
                pass.inputMeter->add(interleaved, got);
            pass.framesRead += static_cast<long long>(got);
            if (progress)
                progress(kRenderShareOfPass * fractionOf(pass.framesRead, expectedFrames));
            return got;
        },
        [&](const float* interleaved, std::size_t frames)
        { pass.output->write(interleaved, frames); });
    if (pass.inputMeter)
        pass.inputMeter->finish();
    pass.latencyFrames = result.latencyFrames;
    pass.latencyChangedToFrames = result.latencyChangedToFrames;
    pass.processSeconds = result.processSeconds;
    pass.framesProcessed = result.framesProcessed;
    pass.output->close();
    pass.outputMeter = decodeAndMeasure(*pass.output, rateHz, pass.framesRead, progress);
    return pass;
}
