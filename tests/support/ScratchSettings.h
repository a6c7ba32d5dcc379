// Points the editor's remembered settings (XDG_CONFIG_HOME) at an empty folder of the process's
// own and clears GDK_SCALE, so that neither a size remembered on this machine nor one an earlier
// test left decides. The folder is made fresh (mkdtemp), not named after the process: process
// numbers come round again, and a folder an earlier process left would bring its size back.
// Emptied on every call; removed when the process ends.
#pragma once

#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>

inline void useEmptySettingsFolder()
{
    static const TempFolder folder;
    std::filesystem::remove_all(folder.path);
    std::filesystem::create_directories(folder.path);
    setenv("XDG_CONFIG_HOME", folder.path.c_str(), 1);
    unsetenv("GDK_SCALE");
}
