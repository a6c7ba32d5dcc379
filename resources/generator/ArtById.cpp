#include "ArtFamilies.h"

ArtBitmap drawArtBitmap(int id, double scale)
{
    switch (id)
    {
    case bitmapId::kPanel:
        return drawPanel(scale);
    case bitmapId::kFaderTrack:
    case bitmapId::kFaderHandle:
        return drawFaderPart(id, scale);
    case bitmapId::kStripUnlit:
    case bitmapId::kStripPk:
    case bitmapId::kStripK12:
    case bitmapId::kStripK14:
    case bitmapId::kStripK20:
    case bitmapId::kStripInverted:
        return drawMeterStrip(id, scale);
    case bitmapId::kLegendPk:
    case bitmapId::kLegendK12:
    case bitmapId::kLegendK14:
    case bitmapId::kLegendK20:
        return drawDbLegend(id, scale);
    case bitmapId::kNobSmall:
    case bitmapId::kNobSmallBipolar:
    case bitmapId::kNobLarge:
    case bitmapId::kNobLargeBipolar:
        return drawKnobFilmstrip(id, scale);
    case bitmapId::kButtonLarge:
    case bitmapId::kButtonSmall:
        return drawButton(id, scale);
    case bitmapId::kDisplayStrip:
        return drawDisplayStrip(scale);
    default:
        return {id, 24, nullptr};
    }
}
