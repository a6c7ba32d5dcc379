#include "editor/LoudnessHistory.h"

#include <algorithm>

LoudnessHistory::LoudnessHistory() : entries(kCapacity) {}

void LoudnessHistory::add(double timeSeconds, const MeterReadings& readings)
{
    const Entry entry{timeSeconds,
                      std::max(readings.peakLeft, readings.peakRight),
                      readings.loudness.shortTermLufs,
                      std::min(readings.softclipGainLeft, readings.softclipGainRight),
                      readings.lowestLimiterGain,
                      readings.lowestRmsGain};
    if (count < kCapacity)
        entries[(first + count++) % kCapacity] = entry;
    else
    {
        entries[first] = entry;
        first = (first + 1) % kCapacity;
    }
}

void LoudnessHistory::clear()
{
    first = 0;
    count = 0;
}

const LoudnessHistory::Entry& LoudnessHistory::at(int index) const
{
    return entries[(first + index) % kCapacity];
}
