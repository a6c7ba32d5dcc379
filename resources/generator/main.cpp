// Draws the editor's bitmaps and writes each as a PNG and the C++ source that embeds them. The
// whole editor is pictured by its own layout test, from the real views.
//
// usage: varnholt_art_generator <output directory>

#include "ArtFamilies.h"
#include "ArtPng.h"
#include "EmbedWriter.h"

#include <algorithm>
#include <exception>
#include <iostream>

namespace
{
std::vector<ArtBitmap> drawAllBitmaps()
{
    std::vector<ArtBitmap> bitmaps;
    auto append = [&bitmaps](std::vector<ArtBitmap> family)
    {
        for (ArtBitmap& bitmap : family)
            bitmaps.push_back(std::move(bitmap));
    };
    constexpr double frameScale = 1.0; // the embedded art; other scales are drawn when needed
    bitmaps.push_back(drawPanel(frameScale));
    append(drawFaderParts(frameScale));
    append(drawMeterStrips(frameScale));
    append(drawDbLegends(frameScale));
    append(drawKnobFilmstrips(frameScale));
    append(drawButtons(frameScale));
    bitmaps.push_back(drawDisplayStrip(frameScale));
    std::sort(bitmaps.begin(), bitmaps.end(),
              [](const ArtBitmap& a, const ArtBitmap& b) { return a.id < b.id; });
    return bitmaps;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: " << argv[0] << " <output directory>\n";
        return 2;
    }
    const std::string directory = argv[1];
    try
    {
        std::vector<ArtBitmap> bitmaps = drawAllBitmaps();
        std::vector<EncodedBitmap> encoded;
        for (ArtBitmap& bitmap : bitmaps)
        {
            if (bitmap.depth == 24)
                avoidDefaultKeyColour(bitmap);
            std::vector<unsigned char> png = encodePng(bitmap);
            writeFile(directory + "/bitmap-" + std::to_string(bitmap.id) + ".png", png);
            encoded.push_back(
                {bitmap.id, bitmapWidth(bitmap), bitmapHeight(bitmap), bitmap.depth, png});
        }
        writeEmbeddingSource(directory + "/EmbeddedBitmaps.cpp", encoded);
    }
    catch (const std::exception& error)
    {
        std::cerr << argv[0] << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}
