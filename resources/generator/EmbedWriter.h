#pragma once

#include <string>
#include <vector>

struct EncodedBitmap
{
    int id;
    int width;
    int height;
    int depth;
    std::vector<unsigned char> png;
};

// Writes the C++ source that defines the embedded bitmap table declared in
// resources/EmbeddedBitmaps.h.
void writeEmbeddingSource(const std::string& path, const std::vector<EncodedBitmap>& bitmaps);
