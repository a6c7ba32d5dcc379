#pragma once

#include "editor/EditorConnection.h"

#include <vector>

// What the loudness panel's graph shows, one entry per editor idle: the output's peak, the
// short-term loudness and each stage's gain, stamped with the time of the idle. Fed from the
// meter readings, so every edition builds the same history from what its connection reads
// (an LV2 UI from the plug-in's ports). Keeps the last kCapacity entries. GUI thread.
class LoudnessHistory
{
  public:
    struct Entry
    {
        double timeSeconds;
        float peak; // linear, the louder channel
        float shortTermLufs;
        float softclipGain; // linear, the lower channel
        float limiterGain;
        float levellerGain;
    };
    // 30 s at up to about 270 idles a second.
    static constexpr int kCapacity = 8192;

    LoudnessHistory();
    void add(double timeSeconds, const MeterReadings& readings);
    void clear();
    int size() const { return count; }
    // Entry 0 is the oldest kept.
    const Entry& at(int index) const;

  private:
    std::vector<Entry> entries;
    int first = 0;
    int count = 0;
};
