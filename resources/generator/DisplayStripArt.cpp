#include "ArtFamilies.h"

// Behind the word-length menu and the status line: text grey on near-black, like the panel's
// display area around them, so the two read as one display.
ArtBitmap drawDisplayStrip(double scale)
{
    ArtBitmap strip = makeScaledBitmap(bitmapId::kDisplayStrip, art::kDisplayStripWidthPx,
                                       art::kDisplayStripHeightPx, 24, scale);
    ContextPtr cr = makeContext(strip);
    fillRect(cr.get(), {0, 0, art::kDisplayStripWidthPx, art::kDisplayStripHeightPx},
             palette::kDisplayBlack);
    return strip;
}
