#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CRect.h"

#include <atomic>
#include <memory>

class CDrawContext;
class SharedImage;

// A bitmap from the embedded resources, decoded (or, for a screen scale above 1, drawn) once per
// process and shared by id and scale.
// Reference counted: it starts with one reference; remember() adds one, forget() drops one and
// deletes the bitmap with the last. remember/forget may run on any thread; loading and drawing
// run on the GUI thread.
class CBitmap
{
  public:
    // An unknown id gives an empty 0 x 0 bitmap that draws nothing. scale is the screen's device
    // pixels per frame pixel; the bitmap's size is in device pixels.
    explicit CBitmap(long resourceId, double scale = 1.0);

    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    long getResourceId() const { return resourceId; }
    long getWidth() const;
    long getHeight() const;
    bool isLoaded() const { return image != nullptr; }

    void remember() { references.fetch_add(1, std::memory_order_relaxed); }
    void forget();
    long getNbReference() const { return references.load(std::memory_order_relaxed); }

    // Pixels of exactly this colour are left out by drawTransparent. Default white.
    void setTransparentColor(const CColor& color);
    const CColor& getTransparentColor() const { return transparentColor; }

    // Draws the part of the bitmap that starts at offset into rect (clipped to the bitmap).
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // As draw, with the transparent colour left out.
    void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());

  protected:
    virtual ~CBitmap();

  private:
    void drawImage(CDrawContext* context, const SharedImage& source, const CRect& rect,
                   const CPoint& offset);

    long resourceId;
    double scale;
    std::shared_ptr<const SharedImage> image;
    std::shared_ptr<const SharedImage> keyedImage; // made on first transparent draw
    CColor transparentColor = kWhiteCColor;
    std::atomic<long> references{1};
};

// Points slot at bitmap, taking a reference to it and dropping the one slot held (null clears).
// Returns false when slot already held bitmap.
bool replaceBitmap(CBitmap*& slot, CBitmap* bitmap);
