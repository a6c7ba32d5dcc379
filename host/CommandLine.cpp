#include "host/CommandLine.h"

#include "host/HostError.h"

#include <cerrno>
#include <cstdlib>

namespace
{
constexpr long kMaxBlockFrames = 1 << 20; // larger blocks gain nothing and cost memory

constexpr long kMaxJobs = 64;               // each job holds a whole file in memory
constexpr double kLowestTargetLufs = -70.0; // the absolute gate: nothing quieter is measured
constexpr double kHighestTargetLufs = 0.0;
constexpr double kLowestCeilingDbtp = -30.0;
constexpr double kHighestCeilingDbtp = 0.0;

int parseBlockFrames(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long frames = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || frames < 1 || frames > kMaxBlockFrames)
        throw HostError("--block needs a whole number of frames from 1 to " +
                        std::to_string(kMaxBlockFrames) + ", not '" + text + "'");
    return static_cast<int>(frames);
}

double parseLevel(const std::string& option, const std::string& text, double lowest, double highest)
{
    char* end = nullptr;
    const double level = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(level >= lowest && level <= highest))
    {
        throw HostError(option + " needs a level from " + std::to_string(static_cast<int>(lowest)) +
                        " to " + std::to_string(static_cast<int>(highest)) + ", not '" + text +
                        "'");
    }
    return level;
}

int parseJobs(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long jobs = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || jobs < 1 || jobs > kMaxJobs)
        throw HostError("--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) +
                        ", not '" + text + "'");
    return static_cast<int>(jobs);
}
} // namespace

const char* const kUsageText =
    "usage: varnholt-render [options] [INPUT [OUTPUT]]\n"
    "       varnholt-render --output-dir DIR [options] INPUT...\n"
    "Renders INPUT (WAV, FLAC, AIFF, Ogg; mono or stereo) through a VST 2.4, VST3, CLAP or\n"
    "LV2 plug-in and reports loudness and peaks; masters it to a loudness target through\n"
    "every Varnholt Pro edition. Without INPUT, renders a built-in demo mix and writes\n"
    "varnholt-demo-input.wav and varnholt-demo-output.wav.\n"
    "\n"
    "  OUTPUT             default: INPUT's name with -varnholt before the extension\n"
    "  --plugin PLUGIN    plug-in to load (default: Varnholt Pro beside this program):\n"
    "                     a VST 2.4 library (.so), a VST3 bundle (.vst3), a CLAP\n"
    "                     library (.clap), an LV2 bundle folder or an LV2 URI\n"
    "  --uri URI          the plug-in to take from an LV2 bundle holding several\n"
    "  --program N|NAME   select a program (LV2: a preset) by number (from 0) or name\n"
    "  --set NAME=VALUE   set a parameter by name or symbol, repeatable; Varnholt Pro's\n"
    "                     in the units it shows (-3dB, 12ms, 50%, 16bit, K14, on/off),\n"
    "                     other VST 2.4 and VST3 plug-ins' normalised 0..1, other LV2\n"
    "                     and CLAP plug-ins' in the parameter's units within its range\n"
    "                     (see --list)\n"
    "  --set-normalised NAME=VALUE  the VST 2.4 or VST3 host's normalised value 0..1\n"
    "  --set-raw NAME=VALUE  any finite host value, unchecked\n"
    "                     (e.g. Varnholt Pro's Dithering menu position: 4 gives 16 bits)\n"
    "  --list             list the plug-in's programs and parameters, then exit\n"
    "  --block N          frames per process call, 1 or more (default 512)\n"
    "  --format F         output samples: int16, int24, int32, float32, float64\n"
    "                     (default: the input's); int16 and int24 set Varnholt Pro's\n"
    "                     word length and dither to match unless --set chooses one\n"
    "  --output-dir DIR   folder for the outputs; every argument is then an input, and\n"
    "                     each output keeps its input's name (default without it: the\n"
    "                     current folder for the demo)\n"
    "  --jobs N           files rendered at once with --output-dir (default: one per core)\n"
    "  --json             print the report as JSON\n"
    "  --help             show this text\n"
    "\n"
    "Mastering:\n"
    "  --target-lufs L    search \"Input drive\" and \"Output trim\" so that the output, as\n"
    "                     written, measures L LUFS integrated (within 0.1 LU) with its true\n"
    "                     peak at most the ceiling; inter-sample-peak detection is turned on\n"
    "                     unless set; a target out of reach writes nothing and says how\n"
    "                     loud the file can go\n"
    "  --ceiling-dbtp C   true-peak ceiling for --target-lufs, in dBTP (default -1.0)\n"
    "  --album            with --target-lufs and --output-dir: one drive and trim for all\n"
    "                     inputs, so that they played in order meet the target and each\n"
    "                     the ceiling; the tracks keep their relative loudness\n"
    "  --plot             write a PNG beside each output (same name, .png): short-term\n"
    "                     loudness in and out, true peak, gain reduction, target, ceiling\n";

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine options;
    std::vector<std::string> positional;
    for (std::size_t index = 0; index < arguments.size(); ++index)
    {
        std::string option = arguments[index];
        std::string inlineValue;
        bool hasInlineValue = false;
        if (option.rfind("--", 0) == 0 && option.find('=') != std::string::npos)
        {
            inlineValue = option.substr(option.find('=') + 1);
            option = option.substr(0, option.find('='));
            hasInlineValue = true;
        }
        auto value = [&]() -> std::string
        {
            if (hasInlineValue)
                return inlineValue;
            if (index + 1 >= arguments.size())
                throw HostError(option + " needs a value");
            return arguments[++index];
        };
        // An empty value is most often an unset shell variable: refuse it rather than guess.
        auto nonEmptyValue = [&]() -> std::string
        {
            std::string text = value();
            if (text.empty())
                throw HostError(option + " needs a value, not an empty one");
            return text;
        };
        auto flag = [&]()
        {
            if (hasInlineValue)
                throw HostError(option + " takes no value");
            return true;
        };

        if (option == "--plugin")
            options.pluginPath = nonEmptyValue();
        else if (option == "--uri")
            options.pluginUri = nonEmptyValue();
        else if (option == "--program")
            options.program = nonEmptyValue();
        else if (option == "--set")
            options.settings.push_back(nonEmptyValue());
        else if (option == "--set-normalised")
            options.normalisedSettings.push_back(nonEmptyValue());
        else if (option == "--set-raw")
            options.rawSettings.push_back(nonEmptyValue());
        else if (option == "--block")
            options.blockFrames = parseBlockFrames(value());
        else if (option == "--format")
            options.sampleFormat = nonEmptyValue();
        else if (option == "--output-dir")
            options.outputDirectory = nonEmptyValue();
        else if (option == "--target-lufs")
            options.targetLufs = parseLevel(option, value(), kLowestTargetLufs, kHighestTargetLufs);
        else if (option == "--ceiling-dbtp")
        {
            options.ceilingDbtp =
                parseLevel(option, value(), kLowestCeilingDbtp, kHighestCeilingDbtp);
        }
        else if (option == "--jobs")
        {
            options.jobs = parseJobs(value());
        }
        else if (option == "--album")
        {
            options.album = flag();
        }
        else if (option == "--plot")
        {
            options.plot = flag();
        }
        else if (option == "--list")
        {
            options.list = flag();
        }
        else if (option == "--json")
        {
            options.json = flag();
        }
        else if (option == "--help" || option == "-h")
        {
            options.help = flag();
        }
        else if (option.size() > 1 && option[0] == '-')
        {
            throw HostError("unknown option " + option + " (see --help)");
        }
        else if (option.empty())
        {
            throw HostError("an empty file name (an unset variable?) (see --help)");
        }
        else
        {
            positional.push_back(option);
        }
    }
    if (!options.outputDirectory.empty())
        options.inputPaths = positional;
    else if (positional.size() > 2)
        throw HostError("too many arguments: " + positional[2] + " (see --help)");
    if (options.ceilingDbtp && !options.targetLufs)
        throw HostError("--ceiling-dbtp needs --target-lufs");
    if (options.album && !options.targetLufs)
        throw HostError("--album needs --target-lufs");
    if (options.album && options.outputDirectory.empty())
        throw HostError("--album needs --output-dir and the album's files");
    if (options.album && options.inputPaths.empty())
        throw HostError("--album needs the album's files after --output-dir");
    if (!positional.empty())
        options.inputPath = positional[0];
    if (positional.size() == 2)
        options.outputPath = positional[1];
    return options;
}
