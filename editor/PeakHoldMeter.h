#pragma once

#include "toolkit/CVuMeter.h"

// A bar meter with a peak-hold marker: a one-step band at the peak position, drawn from the same
// rows of the lit strip so it takes the colour the bar would have there. A peak of 0 hides it.
// GUI thread.
class PeakHoldMeter : public CVuMeter
{
  public:
    using ValueMapper = float (*)(float);

    PeakHoldMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, long segments,
                  long style = kVertical);

    // The target the bar moves to, after the value mapper; clamped into 0..1 only when drawn.
    void setValue(float value) override;
    // The marker's position after the value mapper, clamped into 0..1.
    virtual void setPeak(float value);
    float getPeak() const { return peak; }
    // Replaces the mapper applied to every value and peak; null keeps the current one.
    virtual void setValueMapper(ValueMapper mapper);

    void draw(CDrawContext* context) override;

  protected:
    virtual void drawPeakMarker(CDrawContext* context);

  private:
    static float identity(float value) { return value; }

    float peak = 0.0f;
    ValueMapper valueMapper = identity;
};
