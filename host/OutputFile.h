// Putting a finished output in place: written to a temporary in the output's folder and renamed
// once complete, so an error, a full disk, a file-size limit or an interrupt leaves neither a
// partial file nor the temporary. Only a regular file (or a new name) is ever replaced.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class RegisteredTemporary;

class TemporaryOutput
{
  public:
    // Checks the target and creates the temporary. Throws HostError naming the target and the
    // reason for a folder, a device, FIFO or socket, a dangling symbolic link, a file that may
    // not be written (no write permission, or read-only by its mode) or a folder without room.
    // A symbolic link is written through: its target is replaced and the link kept.
    explicit TemporaryOutput(const std::string& targetPath);
    // Removes the temporary unless it was committed.
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // The temporary's open descriptor until commit; the writer must not close it.
    int descriptor() const { return fileDescriptor; }
    // Where the temporary is, for reading it back before commit.
    const std::string& temporaryPath() const { return temporary; }
    // Gives the file the replaced file's mode and owner (a new one the umask's mode), closes it
    // and renames it onto the target. Throws HostError and leaves nothing on failure.
    void commit();

  private:
    [[noreturn]] void fail(int error);
    void removeTemporary();

    std::string target;     // as named, for messages
    std::string replaced;   // the file renamed onto: the target, or where its link points
    std::string temporary;
    mode_t mode = 0;
    bool keepOwner = false; // a file replaced as root keeps its owner
    uid_t owner = 0;
    gid_t group = 0;
    int fileDescriptor = -1;
    std::unique_ptr<RegisteredTemporary> registration; // removed on an interrupt until renamed
};

// Throws HostError naming the target and the reason.
void writeFileInPlace(const std::string& targetPath, const std::vector<char>& bytes);
