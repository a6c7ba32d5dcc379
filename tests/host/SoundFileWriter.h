// Writes test input files with libsndfile directly, independent of the code under test.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

inline void writeSoundFile(const std::string& path, int format, int channels, int sampleRateHz,
                           const std::vector<float>& interleaved)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRateHz;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_float(file, interleaved.data(),
                    static_cast<sf_count_t>(interleaved.size()) / channels);
    sf_close(file);
}
