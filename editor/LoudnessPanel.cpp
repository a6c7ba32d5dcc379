#include "editor/LoudnessPanel.h"

#include "editor/LoudnessLayout.h"
#include "toolkit/CDrawContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace loudness_layout;

namespace
{
constexpr double kDashPx = 4.0;
constexpr double kLineWidthPx = 1.5;

float decibels(float linear)
{
    return linear > 0.0f ? 20.0f * std::log10(linear) : -1000.0f;
}

void useColour(cairo_t* cr, const CColor& colour)
{
    cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

// A figure to one decimal with its unit, "--" below the gate; signed shows a plus too.
void formatFigure(char* text, std::size_t size, float value, const char* unit, bool silent,
                  bool signedFigure)
{
    if (silent)
        std::snprintf(text, size, "-- %s", unit);
    else
        std::snprintf(text, size, signedFigure ? "%+.1f %s" : "%.1f %s",
                      std::fabs(value) < 0.05f ? 0.0f : value, unit);
}

// What one column of the graph shows: the loudest peak and deepest reductions of its entries.
struct Column
{
    bool filled = false;
    float peak = 0.0f;
    float softclipGain = 1.0f;
    float limiterGain = 1.0f;
    float levellerGain = 1.0f;
    float shortTermLufs = loudness_constants::kSilenceLufs;
};
} // namespace

LoudnessPanel::LoudnessPanel(const CRect& size, double screenScale,
                             const LoudnessHistory& shownHistory)
    : CView(size), scale(screenScale), history(shownHistory), graphRect(placed(kGraph))
{
    setMouseEnabled(false);
}

CRect LoudnessPanel::placed(const PixelRect& rect) const
{
    return editor_layout::scaledRect(rect, scale);
}

void LoudnessPanel::show(const LoudnessFigures& shownFigures, double now, double span, float target)
{
    figures = shownFigures;
    nowSeconds = now;
    spanSeconds = span;
    targetLufs = target;
    setDirty();
}

double LoudnessPanel::levelY(float db) const
{
    const double fraction = std::clamp(-db / kGraphRangeDb, 0.0f, 1.0f);
    return graphRect.top + fraction * graphRect.height();
}

void LoudnessPanel::draw(CDrawContext* context)
{
    context->setFillColor(kPanelColour);
    context->fillRect(size);
    drawGraph(context);
    drawKey(context);
    drawReadouts(context);
    setDirty(false);
}

void LoudnessPanel::drawGraph(CDrawContext* context)
{
    context->setFillColor(kGraphBackground);
    context->fillRect(graphRect);
    drawGrid(context, graphRect);
    cairo_t* cr = context->getCairo();
    cairo_save(cr);
    cairo_rectangle(cr, graphRect.left, graphRect.top, graphRect.width(), graphRect.height());
    cairo_clip(cr);
    drawColumns(context, graphRect);
    if (!std::isnan(targetLufs))
    {
        const double dash = kDashPx * scale;
        cairo_set_dash(cr, &dash, 1, 0.0);
        cairo_set_line_width(cr, scale);
        useColour(cr, kTargetColour);
        const double y = std::round(levelY(targetLufs)) + 0.5;
        cairo_move_to(cr, graphRect.left, y);
        cairo_line_to(cr, graphRect.right, y);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void LoudnessPanel::drawGrid(CDrawContext* context, const CRect& graph)
{
    cairo_t* cr = context->getCairo();
    cairo_set_line_width(cr, 1.0);
    context->setFont(kNormalFontVerySmall);
    context->setFontColor(kLabelColour);
    for (float db = 0.0f; db <= kGraphRangeDb; db += kGridStepDb)
    {
        const double y = std::round(levelY(-db)) + 0.5;
        if (db > 0.0f && db < kGraphRangeDb)
        {
            useColour(cr, kGridColour);
            cairo_move_to(cr, graph.left, y);
            cairo_line_to(cr, graph.right, y);
            cairo_stroke(cr);
        }
        char label[8];
        std::snprintf(label, sizeof label, "%d", static_cast<int>(-db));
        const long labelHeight = std::lround(10 * scale);
        const CRect labelRect(graph.right + std::lround(3 * scale),
                              std::lround(y) - labelHeight / 2,
                              graph.right + std::lround(kScaleLabelWidthPx * scale),
                              std::lround(y) + labelHeight / 2);
        context->drawString(label, labelRect, kLeftText);
    }
}

void LoudnessPanel::drawColumns(CDrawContext* context, const CRect& graph)
{
    const long width = graph.width();
    const double start = nowSeconds - spanSeconds;
    const double secondsPerColumn = spanSeconds / static_cast<double>(width);
    std::vector<Column> columns(static_cast<std::size_t>(width));
    for (int index = 0; index < history.size(); ++index)
    {
        const LoudnessHistory::Entry& entry = history.at(index);
        const auto column =
            static_cast<long>(std::floor((entry.timeSeconds - start) / secondsPerColumn));
        if (column < 0 || column >= width)
            continue;
        Column& shown = columns[static_cast<std::size_t>(column)];
        shown.filled = true;
        shown.peak = std::max(shown.peak, entry.peak);
        shown.softclipGain = std::min(shown.softclipGain, entry.softclipGain);
        shown.limiterGain = std::min(shown.limiterGain, entry.limiterGain);
        shown.levellerGain = std::min(shown.levellerGain, entry.levellerGain);
        shown.shortTermLufs = entry.shortTermLufs;
    }
    // Idles are often further apart than a column is wide: a column without an entry shows the
    // next one's, so the graph has no gaps while the editor runs.
    for (long column = width - 2; column >= 0; --column)
    {
        Column& shown = columns[static_cast<std::size_t>(column)];
        const Column& next = columns[static_cast<std::size_t>(column + 1)];
        const double columnEnd = start + (column + 1) * secondsPerColumn;
        if (!shown.filled && next.filled && history.size() > 0 &&
            history.at(0).timeSeconds <= columnEnd)
            shown = next;
    }
    cairo_t* cr = context->getCairo();
    const double pixelsPerDb = graph.height() / kGraphRangeDb;
    for (long column = 0; column < width; ++column)
    {
        const Column& shown = columns[static_cast<std::size_t>(column)];
        if (!shown.filled)
            continue;
        const double x = graph.left + column;
        const double peakTop = levelY(decibels(shown.peak));
        useColour(cr, kPeakColour);
        cairo_rectangle(cr, x, peakTop, 1.0, graph.bottom - peakTop);
        cairo_fill(cr);
        // Reductions stacked from the top in signal order: leveller, soft clipper, limiter.
        double top = graph.top;
        const std::pair<float, CColor> reductions[] = {{shown.levellerGain, kLevellerColour},
                                                       {shown.softclipGain, kSoftclipColour},
                                                       {shown.limiterGain, kLimiterColour}};
        for (const auto& [gain, colour] : reductions)
        {
            const double depth = std::max(0.0f, -decibels(gain)) * pixelsPerDb;
            if (depth <= 0.0)
                continue;
            useColour(cr, colour);
            cairo_rectangle(cr, x, top, 1.0, depth);
            cairo_fill(cr);
            top += depth;
        }
    }
    // The short-term line reads the same columns.
    cairo_set_line_width(cr, kLineWidthPx * scale);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    useColour(cr, kShortTermColour);
    bool drawing = false;
    for (long column = 0; column < width; ++column)
    {
        const Column& shown = columns[static_cast<std::size_t>(column)];
        const bool audible = shown.filled && shown.shortTermLufs > loudness_constants::kSilenceLufs;
        if (audible)
        {
            const double x = graph.left + column + 0.5;
            const double y = levelY(shown.shortTermLufs);
            drawing ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
        }
        drawing = audible;
    }
    cairo_stroke(cr);
}

void LoudnessPanel::drawKey(CDrawContext* context)
{
    const CRect key = placed(kKey);
    const struct
    {
        const char* name;
        CColor colour;
    } entries[] = {{"OUTPUT PEAK", editor_layout::opaque(palette::kMeterGreen)},
                   {"SHORT-TERM", kShortTermColour},
                   {"TARGET", kTargetColour},
                   {"RMS", kLevellerColour},
                   {"SOFTCLIP", kSoftclipColour},
                   {"LIMITER", kLimiterColour}};
    context->setFont(kNormalFontVerySmall);
    const long gap = std::lround(12 * scale);
    long x = key.left;
    for (const auto& entry : entries)
    {
        context->setFontColor(entry.colour);
        const long width = context->getStringWidth(entry.name);
        context->drawString(entry.name, CRect(x, key.top, x + width + 1, key.bottom), kLeftText);
        x += width + gap;
    }
}

void LoudnessPanel::drawReadouts(CDrawContext* context)
{
    const CRect area = placed(kReadouts);
    const long rowHeight = area.height() / kReadoutRows;
    const float silence = loudness_constants::kSilenceLufs;
    struct Row
    {
        const char* name;
        float value;
        const char* unit;
        bool silent;
    };
    const Row rows[kReadoutRows] = {
        {"M", figures.momentaryLufs, "LUFS", figures.momentaryLufs <= silence},
        {"S", figures.shortTermLufs, "LUFS", figures.shortTermLufs <= silence},
        {"I", figures.integratedLufs, "LUFS", figures.integratedLufs <= silence},
        {"LRA", figures.rangeLu, "LU", figures.integratedLufs <= silence},
        {"TP", figures.truePeakDbtp, "dBTP", figures.truePeakDbtp <= silence},
    };
    context->setFont(kNormalFontSmall);
    for (int row = 0; row < kReadoutRows; ++row)
    {
        const bool onTarget = row == 2 && !rows[row].silent && !std::isnan(targetLufs) &&
                              std::fabs(figures.integratedLufs - targetLufs) <= kOnTargetLu;
        context->setFontColor(onTarget ? kOnTargetColour : editor_layout::kTextGrey);
        char text[40];
        // Above full scale is what a true-peak readout warns of: it carries its sign.
        formatFigure(text, sizeof text, rows[row].value, rows[row].unit, rows[row].silent,
                     row == kReadoutRows - 1);
        const CRect rowRect(area.left, area.top + row * rowHeight, area.right,
                            area.top + (row + 1) * rowHeight);
        context->drawString(rows[row].name, rowRect, kLeftText);
        context->drawString(text, rowRect, kRightText);
    }
}
