// Streams audio through a plug-in block by block, lining the output up with the input (the
// plug-in's latency compensated): the core of every render pass.
#pragma once

#include <cstddef>
#include <functional>

class PluginInstance;

// Fills up to `frames` interleaved stereo frames; returning fewer means the input has ended.
using ReadFrames = std::function<std::size_t(float* interleavedStereo, std::size_t frames)>;
using WriteFrames = std::function<void(const float* interleavedStereo, std::size_t frames)>;

struct RenderResult
{
    long long frames = 0;            // written, equal to the frames read
    int latencyFrames = 0;           // compensated: the plug-in's delay after its first block
    int latencyChangedToFrames = -1; // a later, uncompensated change; -1 if none
    long long framesProcessed = 0;   // fed to the plug-in, the silent tail included
    double processSeconds = 0.0;     // wall-clock time inside the plug-in's process calls only
};

// Starts the plug-in, feeds it the input and then `latency` frames of silence in blocks of at
// most blockFrames, drops the first `latency` output frames, and stops it again.
RenderResult renderThroughPlugin(PluginInstance& plugin, int blockFrames, const ReadFrames& read,
                                 const WriteFrames& write);
