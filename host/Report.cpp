#include "host/Report.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace
{
double durationSeconds(const RenderReport& report)
{
    return report.sampleRateHz > 0 ? static_cast<double>(report.frames) / report.sampleRateHz : 0.0;
}

// Nanoseconds per frame inside the process calls: what plug-ins are compared by.
double processNanosecondsPerFrame(const RenderReport& report)
{
    constexpr double nanosecondsPerSecond = 1e9;
    return report.framesProcessed > 0
               ? report.processSeconds * nanosecondsPerSecond / report.framesProcessed
               : 0.0;
}

double speedTimesRealTime(const RenderReport& report)
{
    return report.renderSeconds > 0.0 ? durationSeconds(report) / report.renderSeconds : 0.0;
}

std::string fixed(double value, int decimals)
{
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

std::string tableRow(const char* title, const std::string& input, const std::string& output,
                     const char* unit)
{
    char line[128];
    std::snprintf(line, sizeof(line), "%-22s %10s %10s", title, input.c_str(), output.c_str());
    return line + (*unit ? std::string("  ") + unit : std::string()) + "\n";
}

std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            quoted += escaped;
        }
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string jsonNumber(double value, int decimals)
{
    return std::isfinite(value) ? fixed(value, decimals) : "null";
}

std::string jsonFigures(const std::string& path, const FileLoudnessFigures& figures)
{
    std::ostringstream json;
    json << "{\"file\": " << jsonString(path)
         << ", \"integrated_lufs\": " << jsonNumber(figures.integratedLufs, 2)
         << ", \"loudness_range_lu\": " << jsonNumber(figures.loudnessRangeLu, 2)
         << ", \"max_short_term_lufs\": " << jsonNumber(figures.maxShortTermLufs, 2)
         << ", \"sample_peak_dbfs\": " << jsonNumber(figures.samplePeakDbfs, 2)
         << ", \"true_peak_dbtp\": " << jsonNumber(figures.truePeakDbtp, 2)
         << ", \"samples_at_full_scale\": " << figures.samplesAtFullScale << "}";
    return json.str();
}
} // namespace

std::string formatReportTable(const RenderReport& report)
{
    const FileLoudnessFigures& in = report.input;
    const FileLoudnessFigures& out = report.output;
    std::ostringstream table;
    table << "Plug-in   " << report.pluginName << ", latency " << report.latencyFrames
          << " frames\n"
          << "Input     " << report.inputPath << "\n"
          << "Output    " << report.outputPath << "\n"
          << "Duration  " << fixed(durationSeconds(report), 2) << " s at " << report.sampleRateHz
          << " Hz, rendered at " << fixed(speedTimesRealTime(report), 1) << "x real time\n\n"
          << tableRow("", "input", "output", "")
          << tableRow("Integrated loudness", fixed(in.integratedLufs, 1),
                      fixed(out.integratedLufs, 1), "LUFS")
          << tableRow("Loudness range", fixed(in.loudnessRangeLu, 1), fixed(out.loudnessRangeLu, 1),
                      "LU")
          << tableRow("Max short-term", fixed(in.maxShortTermLufs, 1),
                      fixed(out.maxShortTermLufs, 1), "LUFS")
          << tableRow("Sample peak", fixed(in.samplePeakDbfs, 2), fixed(out.samplePeakDbfs, 2),
                      "dBFS")
          << tableRow("True peak", fixed(in.truePeakDbtp, 2), fixed(out.truePeakDbtp, 2), "dBTP")
          << tableRow("Samples at full scale", std::to_string(in.samplesAtFullScale),
                      std::to_string(out.samplesAtFullScale), "");
    return table.str();
}

std::string formatReportJson(const RenderReport& report)
{
    std::ostringstream json;
    json << "{\"plugin\": {\"name\": " << jsonString(report.pluginName)
         << ", \"latency_frames\": " << report.latencyFrames << "},\n"
         << " \"sample_rate_hz\": " << report.sampleRateHz << ", \"frames\": " << report.frames
         << ", \"duration_seconds\": " << jsonNumber(durationSeconds(report), 3)
         << ", \"render_seconds\": " << jsonNumber(report.renderSeconds, 3)
         << ", \"speed_x_real_time\": " << jsonNumber(speedTimesRealTime(report), 1) << ",\n"
         << " \"process_seconds\": " << jsonNumber(report.processSeconds, 6)
         << ", \"frames_processed\": " << report.framesProcessed
         << ", \"process_ns_per_frame\": " << jsonNumber(processNanosecondsPerFrame(report), 3)
         << ",\n"
         << " \"input\": " << jsonFigures(report.inputPath, report.input) << ",\n"
         << " \"output\": " << jsonFigures(report.outputPath, report.output) << "}\n";
    return json.str();
}
