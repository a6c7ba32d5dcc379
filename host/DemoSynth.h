// The built-in demo programme: a short synthesised stereo mix for the limiter to work on.
#pragma once

#include <vector>

constexpr int kDemoSampleRateHz = 44100;

// 24 s of kick, snare, hats, bass and chords at 120 BPM, interleaved stereo, with its sample
// peak at -1 dBFS. The same samples on every call.
std::vector<float> synthesiseDemo(int sampleRateHz);
