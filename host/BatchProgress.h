// The one progress line on stderr for every render: the share done of one file or of a whole
// batch, with a batch's files done and running; drawn only on a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

class BatchProgress
{
  public:
    BatchProgress(std::FILE* stream, std::size_t fileCount);
    ~BatchProgress();
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    // Any thread. A file's share done, 0..1; it never moves back.
    void update(std::size_t file, double fraction);
    void finish(std::size_t file);

  private:
    void draw();

    using Clock = std::chrono::steady_clock;
    std::FILE* stream;
    bool enabled;
    std::mutex mutex;
    std::vector<double> fractions;
    std::size_t done = 0;
    bool drawn = false;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn{};
};
