#pragma once

#include "editor/LoudnessHistory.h"
#include "resources/PanelGeometry.h"
#include "toolkit/CView.h"

// The loudness panel's drawing: the history graph (output peak per column, each stage's gain
// reduction hanging from the top, the short-term loudness as a line, the target dashed) over
// the last span of seconds, and the readouts M, S, I, LRA and TP with the integrated one lit
// when within 1 LU of the target. Its menus and reset button are views of their own on top.
// GUI thread.
class LoudnessPanel : public CView
{
  public:
    // size: the whole panel in device pixels; scale: device pixels per frame pixel. history
    // outlives the view.
    LoudnessPanel(const CRect& size, double scale, const LoudnessHistory& history);

    // Called at every idle: what the readouts show, the time the graph ends at, and the
    // choices of the menus (targetLufs NaN for none). Marks the view for redrawing.
    void show(const LoudnessFigures& figures, double nowSeconds, double spanSeconds,
              float targetLufs);
    void draw(CDrawContext* context) override;

  private:
    CRect placed(const PixelRect& rect) const;
    double levelY(float db) const;
    void drawGraph(CDrawContext* context);
    void drawColumns(CDrawContext* context, const CRect& graph);
    void drawGrid(CDrawContext* context, const CRect& graph);
    void drawKey(CDrawContext* context);
    void drawReadouts(CDrawContext* context);

    double scale;
    const LoudnessHistory& history;
    LoudnessFigures figures;
    double nowSeconds = 0.0;
    double spanSeconds = 10.0;
    float targetLufs = 0.0f;
    CRect graphRect;
};
