#include "host/OutputFile.h"

#include "host/HostError.h"
#include "host/TemporaryFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
[[noreturn]] void refuse(const std::string& target, int error)
{
    throw HostError("cannot write " + target + ": " + std::strerror(error));
}
} // namespace

void writeFileInPlace(const std::string& targetPath, const std::vector<char>& bytes)
{
    std::string temporary = targetPath + ".XXXXXX";
    std::optional<InterruptsDeferred> deferred(std::in_place);
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        refuse(targetPath, errno);
    int error = 0;
    try
    {
        RegisteredTemporary registration(temporary);
        deferred.reset();
        // mkstemp makes the file private; give it the permissions a new file would get.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
        std::size_t written = 0;
        while (written < bytes.size() && error == 0)
        {
            const ssize_t count =
                ::write(descriptor, bytes.data() + written, bytes.size() - written);
            if (count < 0 && errno != EINTR)
                error = errno;
            else if (count > 0)
                written += static_cast<std::size_t>(count);
        }
        if (close(descriptor) != 0 && error == 0)
            error = errno;
        if (error == 0 && std::rename(temporary.c_str(), targetPath.c_str()) != 0)
            error = errno;
        if (error != 0)
            unlink(temporary.c_str());
    }
    catch (const HostError&)
    {
        close(descriptor);
        unlink(temporary.c_str());
        throw;
    }
    if (error != 0)
        refuse(targetPath, error);
}
