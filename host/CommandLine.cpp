#include "host/CommandLine.h"

#include "host/HostError.h"

#include <cerrno>
#include <cstdlib>

namespace
{
constexpr long maxBlockFrames = 1 << 20; // larger blocks gain nothing and cost memory

int parseBlockFrames(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long frames = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || frames < 1 || frames > maxBlockFrames)
        throw HostError("--block needs a whole number of frames from 1 to " +
                        std::to_string(maxBlockFrames) + ", not '" + text + "'");
    return static_cast<int>(frames);
}
} // namespace

const char* const usageText =
    "usage: varnholt-render [options] [INPUT [OUTPUT]]\n"
    "Renders INPUT (WAV, FLAC, AIFF, Ogg; mono or stereo) through a VST 2.4 or LV2 plug-in\n"
    "and reports loudness and peaks. Without INPUT, renders a built-in demo mix and writes\n"
    "varnholt-demo-input.wav and varnholt-demo-output.wav.\n"
    "\n"
    "  OUTPUT             default: INPUT's name with -varnholt before the extension\n"
    "  --plugin PLUGIN    plug-in to load (default: Varnholt Pro beside this program):\n"
    "                     a VST 2.4 library (.so), an LV2 bundle folder or an LV2 URI\n"
    "  --uri URI          the plug-in to take from an LV2 bundle holding several\n"
    "  --program N|NAME   select a program (LV2: a preset) by number (from 0) or name\n"
    "  --set NAME=VALUE   set a parameter by name (LV2: or port symbol), repeatable;\n"
    "                     VST 2.4 values are normalised 0..1, LV2 values are in the\n"
    "                     port's units within its range (see --list)\n"
    "  --set-raw NAME=VALUE  the same for any finite value, unchecked\n"
    "                     (e.g. Varnholt Pro's Dithering menu position: 4 gives 16 bits)\n"
    "  --list             list the plug-in's programs and parameters, then exit\n"
    "  --block N          frames per process call, 1 or more (default 512)\n"
    "  --format F         output samples: int16, int24, int32, float32, float64\n"
    "                     (default: the input's)\n"
    "  --output-dir DIR   folder for default output names (default: current folder)\n"
    "  --json             print the report as JSON\n"
    "  --help             show this text\n";

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
        auto flag = [&]()
        {
            if (hasInlineValue)
                throw HostError(option + " takes no value");
            return true;
        };

        if (option == "--plugin")
            options.pluginPath = value();
        else if (option == "--uri")
            options.pluginUri = value();
        else if (option == "--program")
            options.program = value();
        else if (option == "--set")
            options.settings.push_back(value());
        else if (option == "--set-raw")
            options.rawSettings.push_back(value());
        else if (option == "--block")
            options.blockFrames = parseBlockFrames(value());
        else if (option == "--format")
            options.sampleFormat = value();
        else if (option == "--output-dir")
            options.outputDirectory = value();
        else if (option == "--list")
            options.list = flag();
        else if (option == "--json")
            options.json = flag();
        else if (option == "--help" || option == "-h")
            options.help = flag();
        else if (option.size() > 1 && option[0] == '-')
            throw HostError("unknown option " + option + " (see --help)");
        else
            positional.push_back(option);
    }
    if (positional.size() > 2)
        throw HostError("too many arguments: " + positional[2] + " (see --help)");
    if (!positional.empty())
        options.inputPath = positional[0];
    if (positional.size() == 2)
        options.outputPath = positional[1];
    return options;
}
