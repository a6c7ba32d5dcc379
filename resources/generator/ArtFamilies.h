#pragma once

#include "ArtCanvas.h"

#include <vector>

// One drawing function per family of editor bitmaps; each returns its bitmaps by id, drawn
// for scale device pixels per frame pixel.
ArtBitmap drawPanel(double scale);
std::vector<ArtBitmap> drawFaderParts(double scale);
std::vector<ArtBitmap> drawMeterStrips(double scale);
std::vector<ArtBitmap> drawDbLegends(double scale);
std::vector<ArtBitmap> drawKnobFilmstrips(double scale);
std::vector<ArtBitmap> drawButtons(double scale);
ArtBitmap drawDisplayStrip(double scale);

// Single members of the families, by id.
ArtBitmap drawFaderPart(int id, double scale);
ArtBitmap drawMeterStrip(int id, double scale);
ArtBitmap drawDbLegend(int id, double scale);
ArtBitmap drawKnobFilmstrip(int id, double scale);
// Draws one frame of a knob's filmstrip into its rows of strip (device pixels, 65 frames).
void drawKnobFrame(int id, double scale, int frame, cairo_surface_t* strip);
ArtBitmap drawButton(int id, double scale);

// The one bitmap with this id drawn for scale; a null surface for an unknown id.
ArtBitmap drawArtBitmap(int id, double scale);

// A dB scale between two meters: ticks at both edges and a two-digit figure for each label,
// placed by the meter law. area's top row lies beside frame row art::legendTopPx, two rows
// above the meters' top; referenceDb is the level that reads "00" (0 for peak scales, -12, -14
// or -20 for the K scales).
void drawDbScale(cairo_t* cr, const PixelRect& area, double referenceDb);
