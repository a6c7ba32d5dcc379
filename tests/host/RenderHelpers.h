// Rendering in-memory stereo buffers through a plug-in, for the host's tests.
#pragma once

#include "host/PluginInstance.h"
#include "host/Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// Interleaved stereo silence with one click on both channels.
inline std::vector<float> stereoClick(std::size_t frames, std::size_t clickFrame, float level)
{
    std::vector<float> samples(2 * frames, 0.0f);
    samples[2 * clickFrame] = samples[2 * clickFrame + 1] = level;
    return samples;
}

inline std::size_t loudestFrame(const std::vector<float>& interleaved)
{
    const auto loudest =
        std::max_element(interleaved.begin(), interleaved.end(),
                         [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    return static_cast<std::size_t>(loudest - interleaved.begin()) / 2;
}

inline std::vector<float> renderBuffer(PluginInstance& plugin, int blockFrames,
                                       const std::vector<float>& input,
                                       RenderResult* result = nullptr)
{
    std::size_t readFrames = 0;
    std::vector<float> output;
    const RenderResult rendered = renderThroughPlugin(
        plugin, blockFrames,
        [&](float* interleaved, std::size_t frames)
        {
            const std::size_t got = std::min(frames, input.size() / 2 - readFrames);
            std::memcpy(interleaved, input.data() + 2 * readFrames, 2 * got * sizeof(float));
            readFrames += got;
            return got;
        },
        [&](const float* interleaved, std::size_t frames)
        { output.insert(output.end(), interleaved, interleaved + 2 * frames); });
    if (result)
        *result = rendered;
    return output;
}
