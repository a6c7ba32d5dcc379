#pragma once

#include "toolkit/CControl.h"

#include <memory>

class COffscreenContext;

// A bar meter from two strip bitmaps: the lit strip up to the displayed value, the unlit strip
// over the rest. The displayed value (getOldValue) moves to the value at once in the fast
// direction and by at most the fall step per redraw in the slow one; a negative fall step makes
// falling the fast direction. The bar is composed off screen and copied in one piece.
// Meant to be extended: draw, setValue and the strip setters are virtual and the helpers below
// are open to derived meters. GUI thread.
class CVuMeter : public CControl
{
  public:
    static constexpr float kDefaultFallStep = 0.1f; // per redraw

    // style is kVertical (lit part at the bottom) or kHorizontal (lit part on the left).
    CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, long nbLed,
             long style = kVertical);
    ~CVuMeter() override;

    void setDecreaseStepValue(float step) { fallStep = step; }
    float getDecreaseStepValue() const { return fallStep; }
    void setUseOffscreen(bool value) { useOffscreen = value; }
    bool getUseOffscreen() const { return useOffscreen; }

    // Each keeps a reference to its bitmap and releases the one it replaces.
    virtual void setOnBitmap(CBitmap* bitmap);
    virtual void setOffBitmap(CBitmap* bitmap);
    CBitmap* getOnBitmap() const { return onBitmap; }
    CBitmap* getOffBitmap() const { return offBitmap; }
    void setNbLed(long segments) { nbLed = segments; }
    long getNbLed() const { return nbLed; }
    long getStyle() const { return style; }

    void draw(CDrawContext* context) override;
    // Due for redrawing also while the displayed value has not reached the value.
    bool isDirty() const override;
    void setViewSize(const CRect& rect) override;

  protected:
    // Clamps the value into the range and moves the displayed value one step toward it.
    void advanceDisplayedValue();
    // Draws the two strips split at the displayed value, through the offscreen surface when
    // that is on.
    void drawBar(CDrawContext* context);
    // The view-sized offscreen surface, made on first use.
    COffscreenContext* getOffscreen();

    CBitmap* onBitmap = nullptr;
    CBitmap* offBitmap = nullptr;
    long nbLed;
    long style;
    float fallStep = kDefaultFallStep;
    bool useOffscreen = true;

  private:
    std::unique_ptr<COffscreenContext> offscreen;
};
