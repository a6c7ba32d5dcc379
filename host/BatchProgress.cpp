#include "host/BatchProgress.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unistd.h>

namespace
{
constexpr auto kShowAfter = std::chrono::seconds(1); // short jobs finish before it would help
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarCharacters = 30;
constexpr int kLineCharacters = 72;
} // namespace

BatchProgress::BatchProgress(std::FILE* output, std::size_t fileCount)
    : stream(output), enabled(isatty(fileno(output)) != 0), fractions(fileCount, 0.0)
{
}

BatchProgress::~BatchProgress()
{
    if (drawn)
        std::fprintf(stream, "\r%*s\r", kLineCharacters, "");
}

void BatchProgress::update(std::size_t file, double fraction)
{
    if (!enabled)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    fractions[file] = std::max(fractions[file], std::clamp(fraction, 0.0, 1.0));
    draw();
}

void BatchProgress::finish(std::size_t file)
{
    std::lock_guard<std::mutex> lock(mutex);
    fractions[file] = 1.0;
    ++done;
    if (enabled)
        draw();
}

void BatchProgress::draw()
{
    const Clock::time_point now = Clock::now();
    if (now - started < kShowAfter || now - lastDrawn < kRedrawEvery)
        return;
    lastDrawn = now;
    drawn = true;
    const double total = std::accumulate(fractions.begin(), fractions.end(), 0.0) /
                         static_cast<double>(fractions.size());
    const std::size_t running = static_cast<std::size_t>(std::count_if(
        fractions.begin(), fractions.end(), [](double f) { return f > 0.0 && f < 1.0; }));
    const int filled = static_cast<int>(total * kBarCharacters);
    std::fprintf(stream, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(kBarCharacters - filled, ' ').c_str(),
                 static_cast<int>(total * 100.0));
    // One file needs no count of files.
    if (fractions.size() > 1)
        std::fprintf(stream, "  %zu/%zu files done, %zu running ", done, fractions.size(), running);
    std::fflush(stream);
}
