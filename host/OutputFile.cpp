#include "host/OutputFile.h"

#include "host/HostError.h"
#include "host/TemporaryFiles.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr char kTemporarySuffix[] = ".XXXXXX";
constexpr std::size_t kTemporarySuffixBytes = sizeof kTemporarySuffix - 1;
constexpr long kFallbackNameMaxBytes = 255; // NAME_MAX on every Linux file system we write to

[[noreturn]] void refuse(const std::string& target, const std::string& reason)
{
    throw HostError("cannot write " + target + ": " + reason);
}

// The temporary's name: the target's with a suffix, its stem shortened where a name near the
// folder's limit would otherwise grow past it (cut on a character boundary).
std::string temporaryNameFor(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    long nameMax = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = kFallbackNameMaxBytes;
    const std::size_t room = static_cast<std::size_t>(nameMax) - kTemporarySuffixBytes;
    if (name.size() > room)
    {
        name.resize(room);
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();
        // The first byte of a cut character goes too.
        if (!name.empty() && (static_cast<unsigned char>(name.back()) & 0x80) != 0)
            name.pop_back();
    }
    return folder + name + kTemporarySuffix;
}
} // namespace

TemporaryOutput::TemporaryOutput(const std::string& targetPath) : target(targetPath)
{
    replaced = target;
    struct stat status
    {
    };
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
    if (lstat(target.c_str(), &status) == 0)
    {
        if (S_ISLNK(status.st_mode))
        {
            if (stat(target.c_str(), &status) != 0)
                refuse(target, errno == ENOENT ? "a symbolic link to nothing" : std::strerror(errno));
            char resolved[PATH_MAX];
            if (realpath(target.c_str(), resolved) == nullptr)
                refuse(target, std::strerror(errno));
            replaced = resolved;
        }
        if (S_ISDIR(status.st_mode))
            refuse(target, "it is a folder");
        if (!S_ISREG(status.st_mode))
            refuse(target, "not a regular file (a device, FIFO or socket); write a file instead");
        if (access(replaced.c_str(), W_OK) != 0)
            refuse(target, std::strerror(errno));
        // Read-only by its mode is a protection even where root could write it.
        if ((status.st_mode & 0222) == 0)
            refuse(target, "the file is read-only");
        mode = status.st_mode & 07777;
        keepOwner = geteuid() == 0;
        owner = status.st_uid;
        group = status.st_gid;
    }
    else if (errno != ENOENT)
    {
        refuse(target, std::strerror(errno));
    }

    temporary = temporaryNameFor(replaced);
    InterruptsDeferred deferred;
    fileDescriptor = mkstemp(temporary.data());
    if (fileDescriptor < 0)
        refuse(target, std::strerror(errno));
    try
    {
        registration = std::make_unique<RegisteredTemporary>(temporary);
    }
    catch (const HostError&)
    {
        close(fileDescriptor);
        unlink(temporary.c_str());
        throw;
    }
}

TemporaryOutput::~TemporaryOutput()
{
    if (fileDescriptor >= 0)
        close(fileDescriptor);
    if (registration != nullptr)
        removeTemporary();
}

void TemporaryOutput::removeTemporary()
{
    unlink(temporary.c_str());
    registration.reset();
}

void TemporaryOutput::fail(int error)
{
    if (fileDescriptor >= 0)
        close(fileDescriptor);
    fileDescriptor = -1;
    removeTemporary();
    refuse(target, std::strerror(error));
}

void TemporaryOutput::commit()
{
    // mkstemp makes the file private: give it the mode the file it replaces had.
    if (fchmod(fileDescriptor, mode) != 0)
        fail(errno);
    if (keepOwner && fchown(fileDescriptor, owner, group) != 0)
        fail(errno);
    const int descriptor = fileDescriptor;
    fileDescriptor = -1;
    if (close(descriptor) != 0)
        fail(errno);
    if (std::rename(temporary.c_str(), replaced.c_str()) != 0)
        fail(errno);
    registration.reset();
}

void writeFileInPlace(const std::string& targetPath, const std::vector<char>& bytes)
{
    TemporaryOutput output(targetPath);
    std::size_t written = 0;
    while (written < bytes.size())
    {
        const ssize_t count =
            ::write(output.descriptor(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno != EINTR)
            refuse(targetPath, std::strerror(errno));
        if (count > 0)
            written += static_cast<std::size_t>(count);
    }
    output.commit();
}
