#include "host/Report.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
RenderReport exampleReport()
{
    const double silence = -std::numeric_limits<double>::infinity();
    RenderReport report;
    report.pluginName = "Varnholt Pro";
    report.latencyFrames = 512;
    report.sampleRateHz = 44100;
    report.frames = 441000;
    report.renderSeconds = 0.5;
    report.processSeconds = 0.0125;
    report.framesProcessed = 441512;
    report.inputPath = "in \"quoted\".wav";
    report.outputPath = "out.wav";
    report.input = {silence, 0.0, silence, silence, silence, 0};
    report.output = {-9.04, 3.21, -7.5, -0.1, 0.234, 12};
    return report;
}
} // namespace

TEST(Report, TableAndJsonShowBothSidesAndTheRenderFigures)
{
    const std::string table = formatReportTable(exampleReport());
    for (const char* line : {"Plug-in   Varnholt Pro, latency 512 frames\n",
                             "Duration  10.00 s at 44100 Hz, rendered at 20.0x real time\n",
                             "Integrated loudness          -inf       -9.0  LUFS\n",
                             "True peak                    -inf       0.23  dBTP\n",
                             "Samples at full scale           0         12\n"})
        EXPECT_NE(table.find(line), std::string::npos) << line;

    // Silence is null there; 12.5 ms over 441512 frames is 28.312 ns per frame.
    const std::string json = formatReportJson(exampleReport());
    for (const char* part :
         {"\"name\": \"Varnholt Pro\", \"latency_frames\": 512", "\"speed_x_real_time\": 20.0",
          "\"process_seconds\": 0.012500, \"frames_processed\": 441512, "
          "\"process_ns_per_frame\": 28.312",
          "\"input\": {\"file\": \"in \\\"quoted\\\".wav\", \"integrated_lufs\": null",
          "\"true_peak_dbtp\": 0.23, \"samples_at_full_scale\": 12}"})
        EXPECT_NE(json.find(part), std::string::npos) << part;
    EXPECT_EQ(json.find("inf"), std::string::npos);
}
