#include "DecodedBitmap.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"

namespace
{
// Behind every bitmap: a colour none of them contains, so any keyed-out pixel shows.
constexpr Rgba kMagenta{255, 0, 255, 255};

class Canvas
{
  public:
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)), context(surface)
    {
        cairo_t* cr = context.getCairo();
        cairo_set_source_rgb(cr, 1.0, 0.0, 1.0);
        cairo_paint(cr);
    }
    ~Canvas() { cairo_surface_destroy(surface); }

    CDrawContext* draw() { return &context; }
    int magentaPixels(int left, int top, int right, int bottom)
    {
        cairo_surface_flush(surface);
        int count = 0;
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = top; y < bottom; ++y)
        {
            for (int x = left; x < right; ++x)
                count += (reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff) ==
                         0xff00ff;
        }
        return count;
    }

  private:
    cairo_surface_t* surface;
    CDrawContext context;
};

// The editor draws every opaque bitmap with the toolkit's default white key; nothing of the
// background may show through.
TEST(ToolkitDrawsTheArt, OpaqueBitmapsCoverTheirRectangleWithTheDefaultKey)
{
    for (int id = 1024; id <= 1043; ++id)
    {
        if (id >= 1037 && id <= 1040)
            continue;
        SCOPED_TRACE(id);
        CBitmap* bitmap = new CBitmap(id);
        ASSERT_TRUE(bitmap->isLoaded());
        const int width = int(bitmap->getWidth());
        const int height = int(bitmap->getHeight());
        Canvas canvas(width, height);
        bitmap->drawTransparent(canvas.draw(), CRect(0, 0, width, height));
        EXPECT_EQ(canvas.magentaPixels(0, 0, width, height), 0);
        bitmap->forget();
    }
}

TEST(ToolkitDrawsTheArt, KnobFramesShowTheBackgroundOnlyOutsideTheDial)
{
    const CColor knobKey{232, 225, 207, 255};
    for (int id = 1037; id <= 1040; ++id)
    {
        SCOPED_TRACE(id);
        CBitmap* bitmap = new CBitmap(id);
        ASSERT_TRUE(bitmap->isLoaded());
        bitmap->setTransparentColor(knobKey);
        const int size = int(bitmap->getWidth());
        Canvas canvas(size, size);
        bitmap->drawTransparent(canvas.draw(), CRect(0, 0, size, size), CPoint(0, 40 * size));
        EXPECT_EQ(canvas.magentaPixels(0, 0, 3, 3), 9);
        EXPECT_EQ(canvas.magentaPixels(size - 3, size - 3, size, size), 9);
        const int quarter = size / 4;
        EXPECT_EQ(canvas.magentaPixels(quarter, quarter, size - quarter, size - quarter), 0);
        bitmap->forget();
    }
}
} // namespace
