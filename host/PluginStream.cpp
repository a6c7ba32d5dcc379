#include "host/PluginStream.h"

#include "host/plugins/PluginInstance.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace
{
constexpr int kStereoChannels = 2;

// Some plug-ins state their latency only once they run; a negative one means none.
int latencyOf(const PluginInstance& plugin)
{
    return std::max(0, plugin.latencyFrames());
}
} // namespace

RenderResult renderThroughPlugin(PluginInstance& plugin, int blockFrames, const ReadFrames& read,
                                 const WriteFrames& write)
{
    const std::size_t blockSize = static_cast<std::size_t>(blockFrames);
    std::vector<float> interleaved(kStereoChannels * blockSize);
    std::vector<float> inLeft(blockSize), inRight(blockSize), outLeft(blockSize),
        outRight(blockSize);
    const float* const inputs[kStereoChannels] = {inLeft.data(), inRight.data()};
    float* const outputs[kStereoChannels] = {outLeft.data(), outRight.data()};

    RenderResult result;
    plugin.start();
    long long latency = latencyOf(plugin);
    long long framesRead = 0;
    long long framesFed = 0;
    bool inputEnded = false;
    bool firstBlock = true;
    while (!inputEnded || result.frames < framesRead)
    {
        std::size_t frames = 0;
        if (!inputEnded)
        {
            frames = read(interleaved.data(), blockSize);
            framesRead += static_cast<long long>(frames);
            inputEnded = frames < blockSize;
        }
        for (std::size_t frame = 0; frame < frames; ++frame)
        {
            inLeft[frame] = interleaved[2 * frame];
            inRight[frame] = interleaved[2 * frame + 1];
        }
        if (inputEnded)
        {
            // Silence pushes the last input frames through the plug-in's delay.
            const long long silenceNeeded = framesRead + latency - framesFed - frames;
            const std::size_t silence = static_cast<std::size_t>(
                std::clamp<long long>(silenceNeeded, 0, blockSize - frames));
            std::fill_n(inLeft.begin() + frames, silence, 0.0f);
            std::fill_n(inRight.begin() + frames, silence, 0.0f);
            frames += silence;
        }
        if (frames == 0)
            break;

        // Timed per call, so benchmarks can compare plug-ins without the file and meter work.
        const auto processStarted = std::chrono::steady_clock::now();
        plugin.process(inputs, outputs, static_cast<int>(frames), static_cast<double>(framesFed));
        result.processSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - processStarted)
                .count();
        if (firstBlock)
            latency = latencyOf(plugin);
        else if (latencyOf(plugin) != latency)
            result.latencyChangedToFrames = latencyOf(plugin);
        firstBlock = false;

        // Output frame p answers input frame p - latency; keep those that answer a read frame.
        const long long first = std::max(framesFed, latency + result.frames);
        const long long end =
            std::min(framesFed + static_cast<long long>(frames), latency + framesRead);
        std::size_t kept = 0;
        for (long long produced = first; produced < end; ++produced, ++kept)
        {
            const std::size_t frame = static_cast<std::size_t>(produced - framesFed);
            interleaved[2 * kept] = outLeft[frame];
            interleaved[2 * kept + 1] = outRight[frame];
        }
        if (kept > 0)
            write(interleaved.data(), kept);
        result.frames += static_cast<long long>(kept);
        framesFed += static_cast<long long>(frames);
    }
    result.framesProcessed = framesFed;
    plugin.stop();
    result.latencyFrames = static_cast<int>(latency);
    return result;
}
