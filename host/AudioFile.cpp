#include "host/AudioFile.h"

#include "host/HostError.h"
#include "host/OutputFile.h"
#include "host/WavFormatChunk.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int kStereoChannels = 2;
// The largest float below 1.0: where limiters clamp a float output.
constexpr float kFloatClampLevel = 0.99999994f;
// A WAV or RF64 header written before its length is known claims the largest size.
constexpr long long kOpenLengthBytes = 0xFFFFFFFFLL;
constexpr long long kOpenLengthSlackBytes = 64; // some writers subtract the header from it
constexpr char kDataLogLine[] = "\ndata : ";
constexpr char kShouldBeText[] = "(should be ";

struct SampleTypeName
{
    const char* name;
    int sampleType;
};

constexpr SampleTypeName kSampleTypeNames[] = {
    {"int16", SF_FORMAT_PCM_16},  {"int24", SF_FORMAT_PCM_24},   {"int32", SF_FORMAT_PCM_32},
    {"float32", SF_FORMAT_FLOAT}, {"float64", SF_FORMAT_DOUBLE},
};

// Common extensions libsndfile files under another name (it calls Ogg ".oga").
constexpr struct
{
    const char* extension;
    int container;
} kExtensionAliases[] = {{"aif", SF_FORMAT_AIFF}, {"ogg", SF_FORMAT_OGG}};

// Tried in order when the input's sample type does not fit the output's container.
constexpr int kFallbackSampleTypes[] = {SF_FORMAT_PCM_24, SF_FORMAT_FLOAT, SF_FORMAT_VORBIS,
                                        SF_FORMAT_PCM_16};

std::string extensionOf(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return extension.empty() ? extension : extension.substr(1);
}

std::string extensionOfContainer(int container)
{
    SF_FORMAT_INFO info{};
    info.format = container;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) != 0 || !info.extension)
        return {};
    return info.extension;
}

// The container named by a file extension, or 0 when libsndfile knows none by that name.
int containerForExtension(const std::string& extension)
{
    for (const auto& alias : kExtensionAliases)
        if (strcasecmp(extension.c_str(), alias.extension) == 0)
            return alias.container;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof(count));
    for (int index = 0; index < count; ++index)
    {
        SF_FORMAT_INFO info{};
        info.format = index;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info));
        if (info.extension && strcasecmp(info.extension, extension.c_str()) == 0)
            return info.format & SF_FORMAT_TYPEMASK;
    }
    return 0;
}

bool formatIsValid(SoundFileFormat format, int sampleRateHz)
{
    SF_INFO info{};
    info.format = format;
    info.channels = kStereoChannels;
    info.samplerate = sampleRateHz;
    return sf_format_check(&info) != 0;
}

// libsndfile trusts the file over a WAV header and says so in its log: "data : N (should be M)"
// gives the bytes the header claims and those there are.
long long claimedFramesOf(SNDFILE* file, const SF_INFO& info)
{
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof(log));
    const char* line = std::strstr(log, kDataLogLine);
    if (line == nullptr)
        return info.frames;
    const char* end = std::strchr(line + 1, '\n');
    const long long claimedBytes = std::atoll(line + std::strlen(kDataLogLine));
    if (claimedBytes >= kOpenLengthBytes - kOpenLengthSlackBytes)
        return -1;
    const char* actual = std::strstr(line, kShouldBeText);
    if (actual == nullptr || (end != nullptr && actual > end))
        return info.frames;
    const long long actualBytes = std::atoll(actual + std::strlen(kShouldBeText));
    if (actualBytes <= 0 || claimedBytes <= actualBytes)
        return info.frames;
    return static_cast<long long>(
        std::llround(static_cast<double>(info.frames) * static_cast<double>(claimedBytes) /
                     static_cast<double>(actualBytes)));
}

std::string sampleTypeText(int sampleType)
{
    for (const SampleTypeName& entry : kSampleTypeNames)
        if (entry.sampleType == sampleType)
            return entry.name;
    return "these";
}
} // namespace

int sampleTypeNamed(const std::string& name)
{
    for (const SampleTypeName& entry : kSampleTypeNames)
        if (name == entry.name)
            return entry.sampleType;
    throw HostError("unknown sample format '" + name +
                    "' (use int16, int24, int32, float32 or float64)");
}

SoundFileFormat chooseOutputFormat(SoundFileFormat inputFormat, const std::string& outputPath,
                                   int requestedSampleType, int sampleRateHz)
{
    const int inputContainer = inputFormat & SF_FORMAT_TYPEMASK;
    const std::string extension = extensionOf(outputPath);
    int container = inputContainer;
    if (strcasecmp(extension.c_str(), extensionOfContainer(inputContainer).c_str()) != 0)
    {
        const int named = containerForExtension(extension);
        // A name promising a format we would not write (out.mp3 holding a WAV) is refused.
        if (named == 0 && !extension.empty())
        {
            throw HostError("cannot write a ." + extension +
                            " file: name the output .wav, .flac, .aiff, .ogg or another "
                            "container libsndfile writes");
        }
        if (named != 0)
            container = named;
    }

    if (requestedSampleType != 0)
    {
        if (!formatIsValid(container | requestedSampleType, sampleRateHz))
        {
            throw HostError("a ." + extensionOfContainer(container) + " file cannot hold " +
                            sampleTypeText(requestedSampleType) + " samples at " +
                            std::to_string(sampleRateHz) + " Hz");
        }
        return container | requestedSampleType;
    }
    if (formatIsValid(container | (inputFormat & SF_FORMAT_SUBMASK), sampleRateHz))
        return container | (inputFormat & SF_FORMAT_SUBMASK);
    for (int sampleType : kFallbackSampleTypes)
        if (formatIsValid(container | sampleType, sampleRateHz))
            return container | sampleType;
    throw HostError("cannot write a ." + extensionOfContainer(container) + " file at " +
                    std::to_string(sampleRateHz) + " Hz");
}

float fullScaleLevel(SoundFileFormat format)
{
    // An integer sample lands on the top code once it rounds there: half a step below it.
    auto topCodeLevel = [](int bits)
    {
        const double steps = static_cast<double>(1ull << (bits - 1));
        return static_cast<float>((steps - 1.5) / steps);
    };
    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return topCodeLevel(8);
    case SF_FORMAT_PCM_16:
        return topCodeLevel(16);
    case SF_FORMAT_PCM_24:
        return topCodeLevel(24);
    case SF_FORMAT_PCM_32:
        return topCodeLevel(32);
    default:
        return kFloatClampLevel;
    }
}

AudioReader::AudioReader(const std::string& filePath) : path(filePath)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw HostError("input file not found: " + path);
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        throw HostError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info.channels > kStereoChannels)
    {
        sf_close(file);
        throw HostError(path + " has " + std::to_string(info.channels) +
                        " channels; only mono and stereo files can be rendered");
    }
    claimed = claimedFramesOf(file, info);
}

AudioReader::~AudioReader()
{
    sf_close(file);
}

std::size_t AudioReader::read(float* interleavedStereo, std::size_t frames)
{
    const auto got = static_cast<std::size_t>(sf_readf_float(file, interleavedStereo, frames));
    if (info.channels == 1)
    {
        for (std::size_t frame = got; frame-- > 0;) // backwards, so nothing unread is overwritten
            interleavedStereo[2 * frame] = interleavedStereo[2 * frame + 1] =
                interleavedStereo[frame];
    }
    return got;
}

AudioWriter::AudioWriter(const std::string& targetPath, SoundFileFormat format, int sampleRateHz)
    : target(targetPath), output(std::make_unique<TemporaryOutput>(targetPath)), fileFormat(format)
{
    SF_INFO info{};
    info.format = format;
    info.channels = kStereoChannels;
    info.samplerate = sampleRateHz;
    // The descriptor stays the temporary's: it closes and renames it.
    file = sf_open_fd(output->descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr)
        throw HostError("cannot write " + target + ": " + sf_strerror(nullptr));
    // Without this, integer files wrap samples beyond full scale around instead of clipping.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk carries the time of writing; without it equal renders are equal files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioWriter::~AudioWriter()
{
    if (file != nullptr)
        sf_close(file);
}

void AudioWriter::write(const float* interleavedStereo, std::size_t frames)
{
    if (static_cast<std::size_t>(sf_writef_float(file, interleavedStereo, frames)) != frames)
        throw HostError("cannot write " + target + ": " + sf_strerror(file));
}

void AudioWriter::close()
{
    if (file == nullptr)
        return;
    const int closeError = sf_close(file);
    file = nullptr;
    if (closeError != 0)
        throw HostError("cannot write " + target + ": " + sf_error_number(closeError));
    const int error = (fileFormat & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV
                          ? completeFloatFormatChunk(output->descriptor())
                          : 0;
    if (error != 0)
        throw HostError("cannot write " + target + ": " + std::strerror(error));
}

const std::string& AudioWriter::temporaryPath() const
{
    return output->temporaryPath();
}

void AudioWriter::commit()
{
    close();
    output->commit();
}
