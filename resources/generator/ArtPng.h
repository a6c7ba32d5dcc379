#pragma once

#include "ArtCanvas.h"

#include <string>
#include <vector>

// PNG bytes of the bitmap: RGB for depth 24, RGBA for depth 32; identical pixels give
// identical bytes.
std::vector<unsigned char> encodePng(const ArtBitmap& bitmap);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
