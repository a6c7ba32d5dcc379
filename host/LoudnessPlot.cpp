#include "host/LoudnessPlot.h"

#include "host/HostError.h"
#include "host/OutputFile.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
struct Colour
{
    double red, green, blue, alpha;
};

constexpr Colour kBackground{0.11, 0.12, 0.14, 1.0};
constexpr Colour kPanel{0.15, 0.16, 0.19, 1.0};
constexpr Colour kGrid{0.27, 0.29, 0.33, 1.0};
constexpr Colour kText{0.88, 0.89, 0.91, 1.0};
constexpr Colour kDimText{0.62, 0.64, 0.68, 1.0};
constexpr Colour kInput{0.60, 0.63, 0.68, 1.0};
constexpr Colour kOutput{0.31, 0.76, 0.97, 1.0};
constexpr Colour kTruePeak{1.00, 0.72, 0.30, 0.55};
constexpr Colour kTarget{0.51, 0.78, 0.52, 1.0};
constexpr Colour kCeiling{0.90, 0.35, 0.35, 1.0};
constexpr Colour kReduction{0.94, 0.33, 0.31, 0.75};

constexpr char kFont[] = "Liberation Sans";
constexpr double kTitlePoints = 20.0;
constexpr double kTextPoints = 13.0;
constexpr double kSmallPoints = 11.0;

// Layout in pixels: loudness panel above, gain reduction below, legend on the right.
constexpr double kLeft = 64.0;
constexpr double kRight = 870.0;
constexpr double kLoudnessTop = 56.0;
constexpr double kLoudnessBottom = 470.0;
constexpr double kReductionTop = 500.0;
constexpr double kReductionBottom = 650.0;
constexpr double kLegendLeft = 890.0;
constexpr double kLegendTop = 56.0;
constexpr double kLegendLineHeight = 22.0;
constexpr double kLegendGapPixels = 6.0;
constexpr double kLegendIndentPixels = 30.0;
constexpr double kSwatchPixels = 22.0;
constexpr double kFigureDropPixels = 17.0;
constexpr double kTitleBaseline = 34.0;
constexpr double kLabelGapPixels = 6.0;
constexpr double kHalfSmallTextPixels = 4.0;
constexpr double kUnitLiftPixels = 8.0;
constexpr double kTimeLabelDropPixels = 16.0;
constexpr double kAlignRight = 1.0; // of the text's width, left of the anchor
constexpr double kAlignCentre = 0.5;

// Line widths and dashes in pixels.
constexpr double kGridLinePixels = 1.0;
constexpr double kLevelLinePixels = 1.5;
constexpr double kPeakLinePixels = 1.0;
constexpr double kInputLinePixels = 2.0;
constexpr double kOutputLinePixels = 2.5;
constexpr double kSwatchLinePixels = 3.0;
constexpr double kLineDashPixels[] = {8.0, 5.0};
constexpr double kSwatchDashPixels[] = {6.0, 4.0};

constexpr double kTopDb = 2.0; // above 0 dBTP, so peaks over full scale show
constexpr double kLoudnessSpanDb = 36.0;
constexpr double kLevelGridDb = 6.0;
constexpr double kSmallestReductionScaleDb = 6.0;
constexpr double kReductionGridDb = 3.0;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kTimeTickChoicesSeconds[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200};
constexpr int kMostTimeTicks = 10;

void setColour(cairo_t* cr, const Colour& colour)
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
}

void text(cairo_t* cr, double x, double y, const std::string& words, double points,
          const Colour& colour, double alignRight = 0.0)
{
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, points);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, words.c_str(), &extents);
    setColour(cr, colour);
    cairo_move_to(cr, x - alignRight * extents.x_advance, y);
    cairo_show_text(cr, words.c_str());
}

std::string format(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), pattern, value);
    return buffer;
}

std::string level(double db, const char* unit)
{
    if (!std::isfinite(db))
        return std::string("-inf ") + unit;
    return format("%.1f ", db) + unit;
}

std::string minutesAndSeconds(double seconds)
{
    const int whole = static_cast<int>(std::lround(seconds));
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%d:%02d", whole / 60, whole % 60);
    return buffer;
}

class Axes
{
  public:
    Axes(double durationSeconds, double topDb, double bottomDb, double panelTop, double panelBottom)
        : duration(std::max(durationSeconds, LoudnessTrace::kStepSeconds)), top(topDb),
          bottom(bottomDb), yTop(panelTop), yBottom(panelBottom)
    {
    }
    double x(double seconds) const { return kLeft + (kRight - kLeft) * seconds / duration; }
    double y(double db) const
    {
        const double clamped = std::clamp(db, bottom, top);
        return yTop + (yBottom - yTop) * (top - clamped) / (top - bottom);
    }
    double duration, top, bottom, yTop, yBottom;
};

double timeTickSeconds(double durationSeconds)
{
    for (double choice : kTimeTickChoicesSeconds)
        if (durationSeconds / choice <= kMostTimeTicks)
            return choice;
    return durationSeconds;
}

void drawPanel(cairo_t* cr, const Axes& axes, double gridDb, const char* unit)
{
    setColour(cr, kPanel);
    cairo_rectangle(cr, kLeft, axes.yTop, kRight - kLeft, axes.yBottom - axes.yTop);
    cairo_fill(cr);
    cairo_set_line_width(cr, kGridLinePixels);
    for (double db = std::ceil(axes.bottom / gridDb) * gridDb; db <= axes.top; db += gridDb)
    {
        setColour(cr, kGrid);
        cairo_move_to(cr, kLeft, std::round(axes.y(db)) + 0.5);
        cairo_line_to(cr, kRight, std::round(axes.y(db)) + 0.5);
        cairo_stroke(cr);
        text(cr, kLeft - kLabelGapPixels, axes.y(db) + kHalfSmallTextPixels, format("%.0f", db),
             kSmallPoints, kDimText, kAlignRight);
    }
    text(cr, kLeft - kLabelGapPixels, axes.yTop - kUnitLiftPixels, unit, kSmallPoints, kDimText,
         kAlignRight);

    const double tick = timeTickSeconds(axes.duration);
    for (double seconds = 0.0; seconds <= axes.duration + 1e-9; seconds += tick)
    {
        setColour(cr, kGrid);
        cairo_move_to(cr, std::round(axes.x(seconds)) + 0.5, axes.yTop);
        cairo_line_to(cr, std::round(axes.x(seconds)) + 0.5, axes.yBottom);
        cairo_stroke(cr);
    }
}

void drawTimeLabels(cairo_t* cr, const Axes& axes)
{
    const double tick = timeTickSeconds(axes.duration);
    for (double seconds = 0.0; seconds <= axes.duration + 1e-9; seconds += tick)
    {
        text(cr, axes.x(seconds), axes.yBottom + kTimeLabelDropPixels,
             axes.duration < kSecondsPerMinute ? format("%.0f s", seconds)
                                               : minutesAndSeconds(seconds),
             kSmallPoints, kDimText, kAlignCentre);
    }
}

void drawHorizontal(cairo_t* cr, const Axes& axes, double db, const Colour& colour)
{
    cairo_set_dash(cr, kLineDashPixels, 2, 0.0);
    cairo_set_line_width(cr, kLevelLinePixels);
    setColour(cr, colour);
    cairo_move_to(cr, kLeft, axes.y(db));
    cairo_line_to(cr, kRight, axes.y(db));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
}

// A trace as a line, broken where it has no value (silence before the first 3 s window fills).
void drawTrace(cairo_t* cr, const Axes& axes, const std::vector<double>& values, double width,
               const Colour& colour)
{
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, colour);
    bool drawing = false;
    for (std::size_t step = 0; step < values.size(); ++step)
    {
        const double seconds = (step + 1) * LoudnessTrace::kStepSeconds;
        if (!std::isfinite(values[step]) || values[step] < axes.bottom)
        {
            drawing = false;
            continue;
        }
        if (drawing)
            cairo_line_to(cr, axes.x(seconds), axes.y(values[step]));
        else
            cairo_move_to(cr, axes.x(seconds), axes.y(values[step]));
        drawing = true;
    }
    cairo_stroke(cr);
}

void drawReduction(cairo_t* cr, const Axes& axes, const std::vector<double>& reductionDb)
{
    setColour(cr, kReduction);
    cairo_move_to(cr, axes.x(0.0), axes.y(0.0));
    for (std::size_t step = 0; step < reductionDb.size(); ++step)
    {
        cairo_line_to(cr, axes.x(step * LoudnessTrace::kStepSeconds), axes.y(-reductionDb[step]));
        cairo_line_to(cr, axes.x((step + 1) * LoudnessTrace::kStepSeconds),
                      axes.y(-reductionDb[step]));
    }
    cairo_line_to(cr, axes.x(reductionDb.size() * LoudnessTrace::kStepSeconds), axes.y(0.0));
    cairo_close_path(cr);
    cairo_fill(cr);
}

void legendEntry(cairo_t* cr, double& y, const Colour& colour, bool dashed,
                 const std::string& label, const std::string& figure)
{
    if (dashed)
        cairo_set_dash(cr, kSwatchDashPixels, 2, 0.0);
    cairo_set_line_width(cr, kSwatchLinePixels);
    setColour(cr, colour);
    cairo_move_to(cr, kLegendLeft, y - kHalfSmallTextPixels);
    cairo_line_to(cr, kLegendLeft + kSwatchPixels, y - kHalfSmallTextPixels);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
    text(cr, kLegendLeft + kLegendIndentPixels, y, label, kTextPoints, kText);
    text(cr, kLegendLeft + kLegendIndentPixels, y + kFigureDropPixels, figure, kSmallPoints,
         kDimText);
    y += 2.0 * kLegendLineHeight;
}

double largest(const std::vector<double>& values, double floor)
{
    double most = floor;
    for (double value : values)
        if (std::isfinite(value))
            most = std::max(most, value);
    return most;
}

void draw(cairo_t* cr, const PlotData& plot)
{
    setColour(cr, kBackground);
    cairo_paint(cr);
    text(cr, kLeft, kTitleBaseline, plot.title, kTitlePoints, kText);

    const double duration = plot.output.shortTermLufs.size() * LoudnessTrace::kStepSeconds;
    const double quietest =
        std::min({plot.inputFigures.integratedLufs, plot.outputFigures.integratedLufs,
                  plot.goal ? plot.goal->targetLufs : 0.0});
    const double bottomDb =
        std::isfinite(quietest)
            ? std::floor((quietest - kLoudnessSpanDb / 2.0) / kLevelGridDb) * kLevelGridDb
            : -kLoudnessSpanDb;
    const Axes loudness(duration, kTopDb, std::min(bottomDb, -kLoudnessSpanDb / 2.0), kLoudnessTop,
                        kLoudnessBottom);
    drawPanel(cr, loudness, kLevelGridDb, "dB");
    drawTrace(cr, loudness, plot.output.truePeakDbtp, kPeakLinePixels, kTruePeak);
    drawTrace(cr, loudness, plot.input.shortTermLufs, kInputLinePixels, kInput);
    drawTrace(cr, loudness, plot.output.shortTermLufs, kOutputLinePixels, kOutput);
    if (plot.goal)
    {
        drawHorizontal(cr, loudness, plot.goal->targetLufs, kTarget);
        drawHorizontal(cr, loudness, plot.goal->ceilingDbtp, kCeiling);
    }

    const double maxReductionDb = largest(plot.gainReductionDb, 0.0);
    const double reductionScaleDb = std::max(
        kSmallestReductionScaleDb, std::ceil(maxReductionDb / kReductionGridDb) * kReductionGridDb);
    const Axes reduction(duration, 0.0, -reductionScaleDb, kReductionTop, kReductionBottom);
    drawPanel(cr, reduction, kReductionGridDb, "GR dB");
    drawReduction(cr, reduction, plot.gainReductionDb);
    drawTimeLabels(cr, reduction);

    double y = kLegendTop + kLegendGapPixels;
    legendEntry(cr, y, kInput, false, "Input, short-term",
                "integrated " + level(plot.inputFigures.integratedLufs, "LUFS") + ", peak " +
                    level(plot.inputFigures.truePeakDbtp, "dBTP"));
    legendEntry(cr, y, kOutput, false, "Output, short-term",
                "integrated " + level(plot.outputFigures.integratedLufs, "LUFS") + ", LRA " +
                    format("%.1f LU", plot.outputFigures.loudnessRangeLu));
    legendEntry(cr, y, kTruePeak, false, "Output, true peak per 100 ms",
                "highest " + level(plot.outputFigures.truePeakDbtp, "dBTP"));
    if (plot.goal)
    {
        legendEntry(cr, y, kTarget, true, "Target", level(plot.goal->targetLufs, "LUFS"));
        legendEntry(cr, y, kCeiling, true, "Ceiling", level(plot.goal->ceilingDbtp, "dBTP"));
    }
    legendEntry(cr, y, kReduction, false, "Gain reduction",
                "largest " + format("%.1f dB", maxReductionDb) + " (100 ms average)");
    if (plot.driveAndTrim)
    {
        y += kLegendGapPixels;
        text(cr, kLegendLeft, y, "Input drive " + format("%+.2f dB", plot.driveAndTrim->driveDb),
             kTextPoints, kText);
        text(cr, kLegendLeft, y + kLegendLineHeight,
             "Output trim " + format("%+.2f dB", plot.driveAndTrim->trimDb), kTextPoints, kText);
    }
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto& bytes = *static_cast<std::vector<char>*>(closure);
    bytes.insert(bytes.end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}
} // namespace

void writeLoudnessPlot(const std::string& path, const PlotData& plot)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlotWidthPixels, kPlotHeightPixels);
    cairo_t* cr = cairo_create(surface);
    draw(cr, plot);
    cairo_destroy(cr);
    std::vector<char> bytes;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &bytes);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        throw HostError("cannot draw " + path + ": " + cairo_status_to_string(status));
    writeFileInPlace(path, bytes);
}
