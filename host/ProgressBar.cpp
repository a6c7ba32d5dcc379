#include "host/ProgressBar.h"

#include <algorithm>
#include <string>
#include <unistd.h>

namespace
{
constexpr auto kShowAfter = std::chrono::seconds(1); // short renders finish before it would help
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kBarCharacters = 40;
} // namespace

ProgressBar::ProgressBar(std::FILE* output, long long total)
    : stream(output), totalFrames(total), enabled(isatty(fileno(output)) != 0 && total > 0)
{
}

ProgressBar::~ProgressBar()
{
    if (drawn)
        std::fprintf(stream, "\r%*s\r", kBarCharacters + 8, "");
}

void ProgressBar::update(long long framesDone)
{
    if (!enabled)
        return;
    const Clock::time_point now = Clock::now();
    if (now - started < kShowAfter || now - lastDrawn < kRedrawEvery)
        return;
    lastDrawn = now;
    drawn = true;
    const double fraction = std::clamp(static_cast<double>(framesDone) / totalFrames, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarCharacters);
    std::fprintf(stream, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                 std::string(kBarCharacters - filled, ' ').c_str(),
                 static_cast<int>(fraction * 100.0));
    std::fflush(stream);
}
