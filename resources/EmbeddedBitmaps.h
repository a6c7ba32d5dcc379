#pragma once

#include "toolkit/BitmapResource.h"

// The editor's bitmaps as PNG files compiled into the library; the table is generated at build
// time by resources/generator, so the plug-in reads no files at run time.
extern const BitmapResource kEmbeddedBitmaps[];
extern const int kEmbeddedBitmapCount;
