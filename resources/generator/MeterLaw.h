#pragma once

#include "parameters/GainLaw.h"

#include <cmath>

// Position 0..1 of the two-segment gain law that the faders and the meters share; levels below
// the bottom of the scale sit at 0.
inline double gainLawPositionForDb(double db)
{
    if (db >= gain_law::kBottomDb)
        return gain_law::dbToPosition(db);
    return 0.0;
}

// The meters read full from kMeterFullScaleGain up. Legends and strip colour zones follow this
// law so that a printed figure sits beside the bar height the meter shows for that level.
inline double meterPositionForDb(double db)
{
    const double fullScaleDb = 20.0 * std::log10(gain_law::kMeterFullScaleGain);
    return db >= fullScaleDb ? 1.0 : gainLawPositionForDb(db);
}

// First lit row, counted from the top of a 253-row strip, of a bar showing this position; the
// meters round to whole segments the same way.
inline int stripRowForPosition(double position, int stripHeightPx)
{
    return int(std::floor((1.0 - position) * stripHeightPx + 0.5));
}

inline int stripRowForDb(double db, int stripHeightPx)
{
    return stripRowForPosition(meterPositionForDb(db), stripHeightPx);
}
