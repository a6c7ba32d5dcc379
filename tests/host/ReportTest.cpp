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

TEST(Report, TableShowsBothSidesAndTheRenderFigures)
{
    const std::string table = formatReportTable(exampleReport());
    EXPECT_NE(table.find("Plug-in   Varnholt Pro, latency 512 frames\n"), std::string::npos);
    EXPECT_NE(table.find("Duration  10.00 s at 44100 Hz, rendered at 20.0x real time\n"),
              std::string::npos);
    EXPECT_NE(table.find("Integrated loudness          -inf       -9.0  LUFS\n"),
              std::string::npos);
    EXPECT_NE(table.find("True peak                    -inf       0.23  dBTP\n"),
              std::string::npos);
    EXPECT_NE(table.find("Samples at full scale           0         12\n"), std::string::npos);
}

TEST(Report, JsonWritesSilenceAsNullAndEscapesText)
{
    const std::string json = formatReportJson(exampleReport());
    EXPECT_NE(json.find("\"name\": \"Varnholt Pro\", \"latency_frames\": 512"), std::string::npos);
    EXPECT_NE(json.find("\"speed_x_real_time\": 20.0"), std::string::npos);
    // 12.5 ms over 441512 frames.
    EXPECT_NE(json.find("\"process_seconds\": 0.012500, \"frames_processed\": 441512, "
                        "\"process_ns_per_frame\": 28.312"),
              std::string::npos);
    EXPECT_NE(
        json.find("\"input\": {\"file\": \"in \\\"quoted\\\".wav\", \"integrated_lufs\": null"),
        std::string::npos);
    EXPECT_NE(json.find("\"true_peak_dbtp\": 0.23, \"samples_at_full_scale\": 12}"),
              std::string::npos);
    EXPECT_EQ(json.find("inf"), std::string::npos);
}
