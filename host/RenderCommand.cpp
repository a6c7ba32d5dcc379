#include "host/RenderCommand.h"

#include "host/AudioFile.h"
#include "host/CommandLine.h"
#include "host/DemoSynth.h"
#include "host/HostError.h"
#include "host/MasteringReport.h"
#include "host/RenderJobs.h"
#include "host/plugins/PluginControls.h"
#include "host/plugins/PluginInstance.h"
#include "host/plugins/PluginLibrary.h"
#include "host/plugins/PluginSource.h"
#include "parameters/Parameters.h"
#include "parameters/UserUnitText.h"
#include "parameters/UserUnits.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
constexpr char kProgramName[] = "varnholt-render";
constexpr char kDemoInputName[] = "varnholt-demo-input.wav";
constexpr char kDemoOutputName[] = "varnholt-demo-output.wav";
constexpr char kOutputSuffix[] = "-varnholt";
constexpr int kListingSampleRateHz = 44100; // any rate serves to read names
constexpr int kUsageExitStatus = 2;

std::unique_ptr<PluginSource> openChosenPlugin(const CommandLine& options)
{
    if (options.pluginPath.empty() && !options.pluginUri.empty())
        return openPluginSource(options.pluginUri, {});
    if (!options.pluginPath.empty())
        return openPluginSource(options.pluginPath, options.pluginUri);
    const std::string path = defaultPluginPath(programDirectory());
    std::error_code error;
    if (!fs::exists(path, error))
        throw HostError("the Varnholt Pro plug-in is not beside the program (" + path +
                        ") nor in ../lib/vst; name one with --plugin PATH");
    return openPluginSource(path, {});
}

void configure(PluginInstance& plugin, const CommandLine& options)
{
    if (!options.program.empty())
        selectProgram(plugin, options.program);
    for (const std::string& setting : options.settings)
        applySetting(plugin, setting);
    for (const std::string& setting : options.normalisedSettings)
        applySetting(plugin, setting, SettingScale::Normalised);
    for (const std::string& setting : options.rawSettings)
        applySetting(plugin, setting, SettingScale::Raw);
}

fs::path outputFolder(const CommandLine& options, const fs::path& fallback)
{
    if (options.outputDirectory.empty())
        return fallback;
    std::error_code error;
    fs::create_directories(options.outputDirectory, error);
    if (!fs::is_directory(options.outputDirectory, error))
        throw HostError("cannot use " + options.outputDirectory + " as the output folder");
    return options.outputDirectory;
}

std::string writeDemoInput(const fs::path& folder)
{
    const std::string path = (folder / kDemoInputName).string();
    const std::vector<float> demo = synthesiseDemo(kDemoSampleRateHz);
    AudioWriter writer(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kDemoSampleRateHz);
    writer.write(demo.data(), demo.size() / 2);
    writer.commit();
    return path;
}

std::string defaultOutputPath(const CommandLine& options)
{
    const fs::path input(options.inputPath);
    const fs::path name = input.stem().string() + kOutputSuffix + input.extension().string();
    return (outputFolder(options, input.parent_path()) / name).string();
}

// Every render runs as jobs: one file (plain or mastered) or a batch.
int runJobs(const CommandLine& options, const PluginSource& source, std::ostream& out,
            std::ostream& errors)
{
    std::vector<BatchFile> files;
    const bool isBatch = !options.inputPaths.empty();
    if (isBatch)
    {
        const fs::path folder = outputFolder(options, ".");
        for (const std::string& input : options.inputPaths)
            files.push_back({input, (folder / fs::path(input).filename()).string()});
    }
    else if (options.inputPath.empty() && (options.targetLufs || options.plot))
        throw HostError("--target-lufs and --plot need an INPUT file");
    else if (options.inputPath.empty())
    {
        const fs::path folder = outputFolder(options, ".");
        files.push_back({writeDemoInput(folder), (folder / kDemoOutputName).string()});
    }
    else
        files.push_back({options.inputPath, options.outputPath.empty() ? defaultOutputPath(options)
                                                                       : options.outputPath});

    const BatchOptions batch = batchOptionsFrom(options, source);
    const BatchOutcome outcome = renderBatch(files, batch);
    if (!isBatch)
    {
        const FileOutcome& file = outcome.files.front();
        if (!file.error.empty())
            throw HostError(file.error);
        for (const std::string& warning : file.warnings)
            errors << kProgramName << ": warning: " << warning << "\n";
        if (!batch.goal && !batch.plot)
            out << (options.json ? formatPlainReportJson(file) : formatPlainReport(file));
        else
            out << (options.json ? formatFileReportJson(file, batch.goal)
                                 : formatFileReport(file, batch.goal));
        return 0;
    }
    bool failed = false;
    for (const FileOutcome& file : outcome.files)
    {
        for (const std::string& warning : file.warnings)
            errors << kProgramName << ": warning: " << file.file.inputPath << ": " << warning
                   << "\n";
        if (!file.error.empty())
        {
            errors << kProgramName << ": " << file.file.inputPath << ": " << file.error << "\n";
            failed = true;
        }
    }
    out << (options.json ? formatBatchJson(outcome, batch.goal)
                         : formatBatchTable(outcome, batch.goal));
    return failed ? 1 : 0;
}

bool userChoseDithering(const CommandLine& options, const PluginInstance& plugin)
{
    std::vector<std::string> settings = options.settings;
    settings.insert(settings.end(), options.normalisedSettings.begin(),
                    options.normalisedSettings.end());
    settings.insert(settings.end(), options.rawSettings.begin(), options.rawSettings.end());
    for (const std::string& setting : settings)
    {
        const std::string name = setting.substr(0, setting.rfind('='));
        for (int param = 0; param < plugin.numParams(); ++param)
        {
            if (plugin.varnholtParamId(param) == kDithering &&
                (nameKeyOf(plugin.paramName(param)) == nameKeyOf(name) ||
                 name == kUserUnits[kDithering].symbol))
                return true;
        }
    }
    return false;
}

// Integer samples want the word length reduced with dither before they are rounded: our
// editions get theirs set to match (unless the user chose one); others are warned about.
CommandLine withMatchingWordLength(const CommandLine& options, const PluginSource& source,
                                   std::ostream& errors)
{
    const struct
    {
        const char* format;
        const char* wordLength;
    } kIntegerFormats[] = {{"int16", "16 bit"}, {"int24", "24 bit"}};
    CommandLine matched = options;
    for (const auto& integer : kIntegerFormats)
    {
        if (options.sampleFormat != integer.format)
            continue;
        const std::unique_ptr<PluginInstance> plugin =
            source.instantiate(kListingSampleRateHz, options.blockFrames);
        int dithering = -1;
        for (int param = 0; param < plugin->numParams(); ++param)
            if (plugin->varnholtParamId(param) == kDithering)
                dithering = param;
        if (dithering < 0)
        {
            errors << kProgramName << ": warning: " << plugin->name() << " does not reduce its "
                   << "word length here: the output is rounded to " << integer.wordLength
                   << "s without dither\n";
        }
        else if (!userChoseDithering(options, *plugin))
        {
            const float position = *parameterValueFromText(kDithering, integer.wordLength);
            const float hostValue = plugin->paramScale() == ParamScale::PortUnits
                                        ? static_cast<float>(userValueOf(kDithering, position))
                                        : position;
            matched.rawSettings.push_back(std::string(kUserUnits[kDithering].symbol) + "=" +
                                          std::to_string(hostValue));
        }
    }
    return matched;
}

int run(const CommandLine& options, std::ostream& out, std::ostream& errors)
{
    std::unique_ptr<PluginSource> source;
    try
    {
        source = openChosenPlugin(options);
    }
    catch (const PluginChoiceNeeded& choice)
    {
        if (!options.list)
            throw;
        out << formatPluginChoices(choice.uris);
        return 0;
    }
    if (options.list)
    {
        int sampleRateHz = kListingSampleRateHz;
        if (!options.inputPath.empty())
            sampleRateHz = AudioReader(options.inputPath).sampleRateHz();
        const std::unique_ptr<PluginInstance> plugin =
            source->instantiate(sampleRateHz, options.blockFrames);
        configure(*plugin, options);
        out << formatPluginListing(*plugin);
        return 0;
    }
    return runJobs(withMatchingWordLength(options, *source, errors), *source, out, errors);
}
} // namespace

int runRenderCommand(const std::vector<std::string>& arguments, std::ostream& report,
                     std::ostream& errors)
{
    CommandLine options;
    try
    {
        options = parseCommandLine(arguments);
    }
    catch (const HostError& error)
    {
        errors << kProgramName << ": " << error.what() << "\n";
        return kUsageExitStatus;
    }
    int status = 0;
    if (options.help)
    {
        report << kUsageText;
    }
    else
    {
        try
        {
            status = run(options, report, errors);
        }
        catch (const std::exception& error)
        {
            errors << kProgramName << ": " << error.what() << "\n";
            return 1;
        }
    }
    // A report lost to a closed or full stdout is a failure a script must see.
    if (!report.flush())
    {
        errors << kProgramName << ": cannot write the report\n";
        return 1;
    }
    return status;
}
