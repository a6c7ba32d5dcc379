#include "editor/ScaleSetting.h"

#include "toolkit/ScaleFactor.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace
{
constexpr const char* kFolderName = "varnholt-pro";
constexpr const char* kFileName = "editor-scale";
constexpr double kPercent = 100.0;
constexpr std::streamsize kLongestContentBytes = 16; // "300" and a line end, with room to spare

std::filesystem::path configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && std::filesystem::path(xdg).is_absolute())
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::filesystem::path(home) / ".config";
    return {};
}

// "150" or "150\n": a whole percentage and nothing else.
double parsePercent(const std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
        --end;
    if (end == 0 || end > 3)
        return 0.0;
    long percent = 0;
    for (std::size_t index = 0; index < end; ++index)
    {
        if (text[index] < '0' || text[index] > '9')
            return 0.0;
        percent = percent * 10 + (text[index] - '0');
    }
    const double scale = percent / kPercent;
    return nearestScaleFactor(scale) == scale ? scale : 0.0;
}
} // namespace

std::string scaleSettingPath()
{
    const std::filesystem::path home = configHome();
    return home.empty() ? std::string() : (home / kFolderName / kFileName).string();
}

double readRememberedScale()
{
    const std::string path = scaleSettingPath();
    if (path.empty())
        return 0.0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return 0.0;
    std::string text(kLongestContentBytes, '\0');
    file.read(&text[0], kLongestContentBytes);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return parsePercent(text);
}

bool rememberScale(double scale)
{
    const std::string path = scaleSettingPath();
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0)
        return false;
    char text[8];
    const int length = std::snprintf(text, sizeof(text), "%ld\n", std::lround(scale * kPercent));
    const bool written = write(descriptor, text, static_cast<std::size_t>(length)) == length;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
