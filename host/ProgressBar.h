// A progress bar on stderr for renders long enough to wait for.
#pragma once

#include <chrono>
#include <cstdio>

class ProgressBar
{
  public:
    // Draws only when `stream` is a terminal; totalFrames <= 0 means the length is unknown.
    ProgressBar(std::FILE* stream, long long totalFrames);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(long long framesDone);

  private:
    using Clock = std::chrono::steady_clock;

    std::FILE* stream;
    long long totalFrames;
    bool enabled;
    bool drawn = false;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn{};
};
