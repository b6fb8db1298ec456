// Contract: the bytes the archive reader reads the data archive through, a file opened by the
// platform (`archive_file.cpp`: posix/ for Linux and the browser, win32/) or a copy in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace VELMORA_PELAGOR {

class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    virtual uint64_t size() const = 0;
    // Up to `length` bytes from `offset` into `out`: the count read (short only at the end), or -1
    // on an error. Safe from several threads at once.
    virtual int64_t readAt(uint64_t offset, void* out, uint64_t length) const = 0;
};

// Opens the archive at `path`. It must be a regular file: a folder, a pipe, a device or a socket
// is refused with the reason, and opening never waits for a writer or a device. Null, with the
// reason, when it cannot be used.
std::shared_ptr<const ArchiveSource> openArchiveFile(const std::string& path, std::string& error);

} // namespace VELMORA_PELAGOR
