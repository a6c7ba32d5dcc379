#pragma once

#include "ArtCanvas.h"

#include <vector>

// One drawing function per family of editor bitmaps; each returns its bitmaps by id.
ArtBitmap drawPanel();
std::vector<ArtBitmap> drawFaderParts();
std::vector<ArtBitmap> drawMeterStrips();
std::vector<ArtBitmap> drawDbLegends();
std::vector<ArtBitmap> drawKnobFilmstrips();
std::vector<ArtBitmap> drawButtons();
ArtBitmap drawDisplayStrip();

// A dB scale between two meters: ticks at both edges and a two-digit figure for each label,
// placed by the meter law. area's top row lies beside frame row art::legendTopPx, two rows
// above the meters' top; referenceDb is the level that reads "00" (0 for peak scales, -12, -14
// or -20 for the K scales).
void drawDbScale(cairo_t* cr, const PixelRect& area, double referenceDb);
