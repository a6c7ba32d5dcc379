#include "host/MasteringReport.h"

#include "host/Report.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace
{
std::string fixed(double value, int decimals, bool sign = false)
{
    if (!std::isfinite(value))
        return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof(text), sign ? "%+.*f" : "%.*f", decimals, value);
    return text;
}

// JSON has no infinity: silence is null.
std::string jsonNumber(double value, int decimals)
{
    return std::isfinite(value) ? fixed(value, decimals) : "null";
}

std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            quoted += escaped;
            continue;
        }
        quoted += c;
    }
    return quoted + "\"";
}

bool hasSettings(const FileOutcome& file)
{
    return file.drivePosition >= 0.0;
}

RenderReport renderReportOf(const FileOutcome& file)
{
    RenderReport report;
    report.pluginName = file.pluginName;
    report.latencyFrames = file.latencyFrames;
    report.sampleRateHz = file.sampleRateHz;
    report.frames = file.frames;
    report.renderSeconds = file.seconds;
    report.processSeconds = file.processSeconds;
    report.framesProcessed = file.framesProcessed;
    report.inputPath = file.file.inputPath;
    report.outputPath = file.file.outputPath;
    report.input = file.input;
    report.output = file.output;
    return report;
}

std::string settingsText(const FileOutcome& file)
{
    std::string text = "Input drive " + fixed(file.drivePosition, 4) + " (" +
                       fixed(file.driveDb, 2, true) + " dB), Output trim " +
                       fixed(file.trimPosition, 4) + " (" + fixed(file.trimDb, 2, true) + " dB)";
    if (file.interSamplePeak)
        text += std::string(", InterSamplePeak ") + (*file.interSamplePeak ? "on" : "off");
    return text;
}

std::string goalText(const MasteringGoal& goal)
{
    return fixed(goal.targetLufs, 1) + " LUFS, ceiling " + fixed(goal.ceilingDbtp, 1) + " dBTP";
}

std::string jsonSettings(const FileOutcome& file)
{
    if (!hasSettings(file))
        return "null";
    return "{\"input_drive\": " + jsonNumber(file.drivePosition, 6) +
           ", \"input_drive_db\": " + jsonNumber(file.driveDb, 3) +
           ", \"output_trim\": " + jsonNumber(file.trimPosition, 6) +
           ", \"output_trim_db\": " + jsonNumber(file.trimDb, 3) + ", \"inter_sample_peak\": " +
           (file.interSamplePeak ? (*file.interSamplePeak ? "true" : "false") : "null") + "}";
}

std::string jsonPasses(const std::vector<PassFigures>& passes)
{
    std::string json = "[";
    for (std::size_t index = 0; index < passes.size(); ++index)
    {
        json += std::string(index ? ", " : "") +
                "{\"drive_db\": " + jsonNumber(passes[index].driveDb, 3) +
                ", \"trim_db\": " + jsonNumber(passes[index].trimDb, 3) +
                ", \"integrated_lufs\": " + jsonNumber(passes[index].loudnessLufs, 3) +
                ", \"true_peak_dbtp\": " + jsonNumber(passes[index].truePeakDbtp, 3) + "}";
    }
    return json + "]";
}

std::string jsonGoal(const std::optional<MasteringGoal>& goal)
{
    if (!goal)
        return "null";
    return "{\"target_lufs\": " + jsonNumber(goal->targetLufs, 2) +
           ", \"ceiling_dbtp\": " + jsonNumber(goal->ceilingDbtp, 2) + "}";
}

std::string jsonFile(const FileOutcome& file)
{
    std::ostringstream json;
    json << "{\"input\": " << jsonString(file.file.inputPath)
         << ", \"output\": " << jsonString(file.file.outputPath)
         << ", \"status\": " << (file.error.empty() ? "\"ok\"" : "\"failed\"")
         << ", \"error\": " << (file.error.empty() ? "null" : jsonString(file.error))
         << ",\n   \"input_integrated_lufs\": "
         << (file.frames > 0 ? jsonNumber(file.input.integratedLufs, 2) : "null")
         << ", \"input_true_peak_dbtp\": "
         << (file.frames > 0 ? jsonNumber(file.input.truePeakDbtp, 2) : "null");
    if (file.error.empty())
    {
        json << ", \"output_integrated_lufs\": " << jsonNumber(file.output.integratedLufs, 2)
             << ", \"output_true_peak_dbtp\": " << jsonNumber(file.output.truePeakDbtp, 2)
             << ", \"max_gain_reduction_db\": " << jsonNumber(file.maxGainReductionDb, 2)
             << ",\n   \"settings\": " << jsonSettings(file)
             << ", \"plot\": " << (file.plotPath.empty() ? "null" : jsonString(file.plotPath))
             << ", \"seconds\": " << jsonNumber(file.seconds, 3);
    }
    json << ",\n   \"passes\": " << jsonPasses(file.passes) << "}";
    return json.str();
}

std::string cell(const std::string& text, int width, bool right = true)
{
    char line[256];
    std::snprintf(line, sizeof(line), right ? "%*s" : "%-*s", width, text.c_str());
    return line;
}
} // namespace

std::string formatPlainReport(const FileOutcome& file)
{
    return formatReportTable(renderReportOf(file));
}

std::string formatPlainReportJson(const FileOutcome& file)
{
    return formatReportJson(renderReportOf(file));
}

std::string formatFileReport(const FileOutcome& file, const std::optional<MasteringGoal>& goal)
{
    std::ostringstream report;
    report << formatReportTable(renderReportOf(file)) << "\n";
    if (goal)
        report << "Mastering " << goalText(*goal) << ": met in " << file.passes.size()
               << (file.passes.size() == 1 ? " pass" : " passes") << "\n";
    if (hasSettings(file))
        report << "Settings  " << settingsText(file) << "\n";
    report << "Largest gain reduction " << fixed(file.maxGainReductionDb, 1)
           << " dB (100 ms average)\n";
    if (!file.plotPath.empty())
        report << "Plot      " << file.plotPath << "\n";
    if (!file.passes.empty())
    {
        report << "\nPass  drive dB  trim dB  loudness LUFS  true peak dBTP\n";
        for (std::size_t index = 0; index < file.passes.size(); ++index)
        {
            const PassFigures& pass = file.passes[index];
            report << cell(std::to_string(index + 1), 4) << cell(fixed(pass.driveDb, 2, true), 10)
                   << cell(fixed(pass.trimDb, 2, true), 9) << cell(fixed(pass.loudnessLufs, 2), 15)
                   << cell(fixed(pass.truePeakDbtp, 2), 16) << "\n";
        }
    }
    return report.str();
}

std::string formatFileReportJson(const FileOutcome& file, const std::optional<MasteringGoal>& goal)
{
    std::string json = formatReportJson(renderReportOf(file));
    json.erase(json.find_last_of('}')); // reopen the object to add the mastering figures
    return json + ",\n \"goal\": " + jsonGoal(goal) + ", \"settings\": " + jsonSettings(file) +
           ", \"max_gain_reduction_db\": " + jsonNumber(file.maxGainReductionDb, 2) +
           ", \"plot\": " + (file.plotPath.empty() ? "null" : jsonString(file.plotPath)) +
           ",\n \"passes\": " + jsonPasses(file.passes) + "}\n";
}

std::string formatBatchTable(const BatchOutcome& batch, const std::optional<MasteringGoal>& goal)
{
    std::size_t nameWidth = 4;
    for (const FileOutcome& file : batch.files)
        nameWidth = std::max(nameWidth, file.file.inputPath.size());
    std::ostringstream table;
    if (goal)
        table << "Target " << goalText(*goal) << "\n";
    if (batch.albumLufs)
        table << "Album  " << fixed(*batch.albumLufs, 2) << " LUFS, the files played in order\n";
    table << cell("File", static_cast<int>(nameWidth), false)
          << "  In LUFS  Out LUFS  Out dBTP  Max GR dB  Drive dB  Trim dB  Passes  Status\n";
    std::size_t failed = 0;
    for (const FileOutcome& file : batch.files)
    {
        const bool ok = file.error.empty();
        failed += ok ? 0 : 1;
        table << cell(file.file.inputPath, static_cast<int>(nameWidth), false)
              << cell(file.frames > 0 ? fixed(file.input.integratedLufs, 1) : "-", 9)
              << cell(ok ? fixed(file.output.integratedLufs, 1) : "-", 10)
              << cell(ok ? fixed(file.output.truePeakDbtp, 2) : "-", 10)
              << cell(ok ? fixed(file.maxGainReductionDb, 1) : "-", 11)
              << cell(ok && hasSettings(file) ? fixed(file.driveDb, 2, true) : "-", 10)
              << cell(ok && hasSettings(file) ? fixed(file.trimDb, 2, true) : "-", 9)
              << cell(std::to_string(file.passes.size()), 8) << "  "
              << (ok ? "ok" : "failed: " + file.error) << "\n";
    }
    table << batch.files.size() - failed << " written, " << failed << " failed in "
          << fixed(batch.seconds, 1) << " s\n";
    return table.str();
}

std::string formatBatchJson(const BatchOutcome& batch, const std::optional<MasteringGoal>& goal)
{
    std::ostringstream json;
    json << "{\"goal\": " << jsonGoal(goal) << ", \"album_integrated_lufs\": "
         << (batch.albumLufs ? jsonNumber(*batch.albumLufs, 2) : "null")
         << ", \"seconds\": " << jsonNumber(batch.seconds, 3) << ",\n \"files\": [";
    for (std::size_t index = 0; index < batch.files.size(); ++index)
        json << (index ? ",\n  " : "\n  ") << jsonFile(batch.files[index]);
    json << "]}\n";
    return json.str();
}
