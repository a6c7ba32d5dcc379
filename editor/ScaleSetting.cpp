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
constexpr const char* kPanelFileName = "loudness-panel";
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

std::string settingPath(const char* name)
{
    const std::filesystem::path home = configHome();
    return home.empty() ? std::string() : (home / kFolderName / name).string();
}

// The file's first bytes; empty when it is missing or unreadable.
std::string readSetting(const char* name)
{
    const std::string path = settingPath(name);
    if (path.empty())
        return {};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(kLongestContentBytes, '\0');
    file.read(&text[0], kLongestContentBytes);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

bool writeSetting(const char* name, const char* text, int length)
{
    const std::string path = settingPath(name);
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0)
        return false;
    const bool written = write(descriptor, text, static_cast<std::size_t>(length)) == length;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
} // namespace

std::string scaleSettingPath()
{
    return settingPath(kFileName);
}

double readRememberedScale()
{
    return parsePercent(readSetting(kFileName));
}

bool rememberScale(double scale)
{
    char text[8];
    const int length = std::snprintf(text, sizeof(text), "%ld\n", std::lround(scale * kPercent));
    return writeSetting(kFileName, text, length);
}

int readRememberedPanelShown()
{
    const std::string text = readSetting(kPanelFileName);
    if (text == "1\n" || text == "1")
        return 1;
    return text == "0\n" || text == "0" ? 0 : -1;
}

bool rememberPanelShown(bool shown)
{
    return writeSetting(kPanelFileName, shown ? "1\n" : "0\n", 2);
}
