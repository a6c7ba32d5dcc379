#pragma once

#include "editor/EditorConnection.h"

class LimiterEngine;

// Every meter reading an editor shows, loudness figures included, straight from an engine in
// the same process: what each in-process edition's EditorConnection::readMeters does. It
// reads the soft-clip gains and the lowest gains, which reading clears, so call it once per idle
// and let nothing else read them. GUI thread.
void readEngineMeters(LimiterEngine& engine, MeterReadings& readings);
