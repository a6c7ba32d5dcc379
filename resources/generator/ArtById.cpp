#include "ArtFamilies.h"

ArtBitmap drawArtBitmap(int id, double scale)
{
    switch (id)
    {
    case bitmapId::panel:
        return drawPanel(scale);
    case bitmapId::faderTrack:
    case bitmapId::faderHandle:
        return drawFaderPart(id, scale);
    case bitmapId::stripUnlit:
    case bitmapId::stripPk:
    case bitmapId::stripK12:
    case bitmapId::stripK14:
    case bitmapId::stripK20:
    case bitmapId::stripInverted:
        return drawMeterStrip(id, scale);
    case bitmapId::legendPk:
    case bitmapId::legendK12:
    case bitmapId::legendK14:
    case bitmapId::legendK20:
        return drawDbLegend(id, scale);
    case bitmapId::knobSmall:
    case bitmapId::knobSmallBipolar:
    case bitmapId::knobLarge:
    case bitmapId::knobLargeBipolar:
        return drawKnobFilmstrip(id, scale);
    case bitmapId::buttonLarge:
    case bitmapId::buttonSmall:
        return drawButton(id, scale);
    case bitmapId::displayStrip:
        return drawDisplayStrip(scale);
    default:
        return {id, 24, nullptr};
    }
}
