// Renders interleaved stereo held in memory through a plug-in and keeps what comes back.
#pragma once

#include "host/plugins/PluginInstance.h"
#include "host/PluginStream.h"

#include <algorithm>
#include <vector>

struct InMemoryRender
{
    std::vector<float> output;
    RenderResult result;
};

inline InMemoryRender renderInMemory(PluginInstance& plugin, int blockFrames,
                                     const std::vector<float>& interleaved)
{
    const std::size_t inputFrames = interleaved.size() / 2;
    std::size_t readFrames = 0;
    InMemoryRender render;
    render.result = renderThroughPlugin(
        plugin, blockFrames,
        [&](float* block, std::size_t frames)
        {
            const std::size_t got = std::min(frames, inputFrames - readFrames);
            std::copy_n(interleaved.begin() + 2 * readFrames, 2 * got, block);
            readFrames += got;
            return got;
        },
        [&](const float* block, std::size_t frames)
        { render.output.insert(render.output.end(), block, block + 2 * frames); });
    return render;
}
