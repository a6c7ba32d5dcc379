#pragma once

#include <cairo.h>

#include "resources/Palette.h"

// Palette colours handed to cairo.
inline void setColour(cairo_t* cr, ArtColour colour)
{
    cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

inline void addColourStop(cairo_pattern_t* pattern, double offset, ArtColour colour,
                          double alpha = 1.0)
{
    cairo_pattern_add_color_stop_rgba(pattern, offset, colour.red / 255.0, colour.green / 255.0,
                                      colour.blue / 255.0, alpha);
}
