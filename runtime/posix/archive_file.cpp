// The archive's file on POSIX systems: opened without blocking (a FIFO with no writer would hold
// open() for ever), then taken only if it is a regular file, and read by position so that every
// stream of the archive reader shares the one descriptor.
#include "runtime/archive_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace VELMORA_PELAGOR {

namespace {

class FileSource final : public ArchiveSource {
public:
    FileSource(int fd, uint64_t bytes) : fd(fd), bytes(bytes) {}
    ~FileSource() override { close(fd); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    uint64_t size() const override { return bytes; }

    int64_t readAt(uint64_t offset, void* out, uint64_t length) const override
    {
        uint64_t done = 0;
        while (done < length) {
            const ssize_t got = pread(fd, static_cast<char*>(out) + done, length - done,
                                      static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            done += static_cast<uint64_t>(got);
        }
        return static_cast<int64_t>(done);
    }

private:
    int fd;
    uint64_t bytes;
};

// What a path that is not a regular file is, for the message.
std::string notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a pipe (FIFO), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

} // namespace

std::shared_ptr<const ArchiveSource> openArchiveFile(const std::string& path, std::string& error)
{
    error.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int why = errno;
        struct stat info{};
        // A socket cannot be opened at all: say what it is rather than "no such device".
        error = stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) ? notAFile(info.st_mode) : std::strerror(why);
        return nullptr;
    }
    struct stat info{};
    if (fstat(fd, &info) != 0)
        error = std::strerror(errno);
    else if (!S_ISREG(info.st_mode))
        error = notAFile(info.st_mode);
    if (!error.empty()) {
        close(fd);
        return nullptr;
    }
    // Only the opening had to be kept from waiting; a regular file reads the same either way.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_shared<FileSource>(fd, static_cast<uint64_t>(info.st_size));
}

} // namespace VELMORA_PELAGOR
