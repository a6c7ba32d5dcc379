// A private folder for a test's files, removed with everything in it afterwards.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class TempFolder
{
  public:
    TempFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varnholt-host-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path); }

    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> fileNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path path;
};

// Writes a file with libsndfile directly, independent of the code under test.
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
