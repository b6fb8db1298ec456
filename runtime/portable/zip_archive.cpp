// A read-only zip reader over zlib behind PhysicsFS's interface (runtime/portable/physfs.h).
//
// The central directory is read once at mount, through the stream the caller hands over; an
// entry's local header is checked when it is opened and the entry inflated whole on its first
// read. Every size is checked against the archive's own length before anything is allocated or
// read. Entries may be opened and read from several threads at once, as with PhysicsFS: the
// stream is shared under a lock, the inflating is not.
#include "runtime/portable/physfs.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// No single file of ours comes near this; a larger declared size is a damaged or hostile archive.
constexpr uint64_t largestFile = uint64_t{1} << 30;
// Deflate expands at most 1032 times: a larger declared size cannot be true.
constexpr uint64_t deflateMaxRatio = 1032;

struct Entry {
    uint16_t method = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localHeader = 0;
    bool link = false; // a symbolic link, as Unix zip tools store them
};

} // namespace

struct PHYSFS_File {
    Entry entry;
    uint64_t dataStart = 0;
    bool extracted = false;
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

namespace {

struct Archive {
    bool initialised = false;
    std::string path;
    PHYSFS_Io* io = nullptr;
    uint64_t length = 0;
    std::map<std::string, Entry> entries;
    bool linksPermitted = false;
};

// Guards the archive and its stream.
std::mutex archiveLock;

Archive& archive()
{
    static Archive state;
    return state;
}

// As PhysicsFS's, each thread has its own last error.
thread_local PHYSFS_ErrorCode lastError = PHYSFS_ERR_OK;

int failWith(PHYSFS_ErrorCode code)
{
    lastError = code;
    return 0;
}

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool readAt(PHYSFS_Io* io, uint64_t offset, void* out, size_t size)
{
    return io->seek(io, offset) != 0 && io->read(io, out, size) == static_cast<PHYSFS_sint64>(size);
}

// ---------------------------------------------------------------------------------------------
// The zip's directory and entries
// ---------------------------------------------------------------------------------------------

// The end-of-central-directory record: in the last 22 bytes plus at most a 64 KiB comment.
bool findDirectory(Archive& a, uint64_t& offset, uint64_t& size, uint16_t& count)
{
    constexpr size_t recordSize = 22;
    if (a.length < recordSize)
        return false;
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(a.length, recordSize + 0xFFFF));
    std::vector<uint8_t> bytes(tail);
    if (!readAt(a.io, a.length - tail, bytes.data(), tail))
        return false;
    for (size_t i = tail - recordSize + 1; i-- > 0;) {
        const uint8_t* p = bytes.data() + i;
        if (read32(p) != 0x06054b50)
            continue;
        count = read16(p + 10);
        size = read32(p + 12);
        offset = read32(p + 16);
        return offset + size <= a.length;
    }
    return false;
}

bool readDirectory(Archive& a)
{
    uint64_t offset = 0, size = 0;
    uint16_t count = 0;
    if (!findDirectory(a, offset, size, count))
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size && !readAt(a.io, offset, bytes.data(), bytes.size()))
        return false;
    size_t at = 0;
    for (uint16_t n = 0; n < count; ++n) {
        constexpr size_t headerSize = 46;
        if (at + headerSize > bytes.size() || read32(bytes.data() + at) != 0x02014b50)
            return false;
        const uint8_t* p = bytes.data() + at;
        Entry entry;
        entry.method = read16(p + 10);
        entry.compressedSize = read32(p + 20);
        entry.size = read32(p + 24);
        const size_t nameLength = read16(p + 28), extraLength = read16(p + 30), commentLength = read16(p + 32);
        // Made on Unix (the high byte of "version made by"), with the link type in its mode bits.
        constexpr uint32_t modeType = 0170000, modeLink = 0120000;
        entry.link = p[5] == 3 && ((read32(p + 38) >> 16) & modeType) == modeLink;
        entry.localHeader = read32(p + 42);
        if (at + headerSize + nameLength + extraLength + commentLength > bytes.size())
            return false;
        std::string name(reinterpret_cast<const char*>(p + headerSize), nameLength);
        at += headerSize + nameLength + extraLength + commentLength;
        if (name.empty() || name.back() == '/')
            continue; // folders
        a.entries[name] = entry;
    }
    return true;
}

bool inflateRaw(const std::vector<uint8_t>& in, std::vector<uint8_t>& out)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool ok = result == Z_STREAM_END && stream.total_out == out.size();
    inflateEnd(&stream);
    return ok;
}

// Checks the entry's local header and method and finds its data; nothing is allocated yet.
bool locate(const Entry& entry, uint64_t& dataStart)
{
    Archive& a = archive();
    uint8_t local[30];
    if (!readAt(a.io, entry.localHeader, local, sizeof local) || read32(local) != 0x04034b50)
        return false;
    dataStart = entry.localHeader + sizeof local + read16(local + 26) + read16(local + 28);
    return entry.method == 0 ? entry.compressedSize == entry.size : entry.method == 8;
}

// The sizes an entry declares fit the archive and its method. Checked before reading rather than
// at opening, as PhysicsFS does, so that the caller can weigh the declared length itself.
bool plausibleSizes(const Entry& entry, uint64_t dataStart)
{
    const Archive& a = archive();
    if (entry.size > largestFile || entry.compressedSize > a.length || dataStart + entry.compressedSize > a.length)
        return false;
    return entry.method == 0 || entry.size <= std::max<uint64_t>(entry.compressedSize, 1) * deflateMaxRatio;
}

// Reads the stored bytes under the lock and inflates them outside it.
bool extract(PHYSFS_File& file)
{
    std::vector<uint8_t> stored;
    {
        std::lock_guard<std::mutex> guard(archiveLock);
        if (!archive().io)
            return failWith(PHYSFS_ERR_NOT_MOUNTED) != 0;
        if (!plausibleSizes(file.entry, file.dataStart))
            return failWith(PHYSFS_ERR_CORRUPT) != 0;
        stored.resize(static_cast<size_t>(file.entry.compressedSize));
        if (!stored.empty() && !readAt(archive().io, file.dataStart, stored.data(), stored.size()))
            return failWith(PHYSFS_ERR_IO) != 0;
    }
    if (file.entry.method == 0) {
        file.bytes = std::move(stored);
    } else {
        file.bytes.assign(static_cast<size_t>(file.entry.size), 0);
        if (file.bytes.empty() ? stored.size() > 2 : !inflateRaw(stored, file.bytes)) {
            file.bytes.clear();
            return failWith(PHYSFS_ERR_CORRUPT) != 0;
        }
    }
    file.extracted = true;
    return true;
}

int mountStream(Archive& a, PHYSFS_Io* io, const char* name)
{
    if (!a.initialised)
        return failWith(PHYSFS_ERR_NOT_INITIALIZED);
    if (a.io)
        return failWith(PHYSFS_ERR_UNSUPPORTED); // one archive at a time
    const PHYSFS_sint64 length = io->length(io);
    if (length < 0)
        return failWith(PHYSFS_ERR_IO);
    a.io = io;
    a.length = static_cast<uint64_t>(length);
    if (!readDirectory(a)) {
        a.io = nullptr;
        a.length = 0;
        a.entries.clear();
        return failWith(PHYSFS_ERR_UNSUPPORTED);
    }
    a.path = name;
    return 1;
}

} // namespace

extern "C" {

int PHYSFS_init(const char*)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    if (archive().initialised)
        return failWith(PHYSFS_ERR_IS_INITIALIZED);
    archive().initialised = true;
    return 1;
}

int PHYSFS_deinit(void)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    Archive& a = archive();
    if (!a.initialised)
        return failWith(PHYSFS_ERR_NOT_INITIALIZED);
    if (a.io)
        a.io->destroy(a.io);
    a = Archive{};
    return 1;
}

int PHYSFS_isInit(void)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    return archive().initialised ? 1 : 0;
}

int PHYSFS_mountIo(PHYSFS_Io* io, const char* newDir, const char*, int)
{
    if (!io || !newDir || io->version != 0)
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT);
    std::lock_guard<std::mutex> guard(archiveLock);
    return mountStream(archive(), io, newDir);
}

int PHYSFS_unmount(const char* oldDir)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    Archive& a = archive();
    if (!a.io || !oldDir || a.path != oldDir)
        return failWith(PHYSFS_ERR_NOT_MOUNTED);
    a.io->destroy(a.io);
    a.io = nullptr;
    a.length = 0;
    a.entries.clear();
    a.path.clear();
    return 1;
}

void PHYSFS_permitSymbolicLinks(int allow)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    archive().linksPermitted = allow != 0;
}

int PHYSFS_symbolicLinksPermitted(void)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    return archive().linksPermitted ? 1 : 0;
}

PHYSFS_ErrorCode PHYSFS_getLastErrorCode(void)
{
    const PHYSFS_ErrorCode code = lastError;
    lastError = PHYSFS_ERR_OK;
    return code;
}

const char* PHYSFS_getErrorByCode(PHYSFS_ErrorCode code)
{
    switch (code) {
    case PHYSFS_ERR_OK: return "no error";
    case PHYSFS_ERR_NOT_INITIALIZED: return "not initialized";
    case PHYSFS_ERR_IS_INITIALIZED: return "already initialized";
    case PHYSFS_ERR_UNSUPPORTED: return "unsupported";
    case PHYSFS_ERR_PAST_EOF: return "past end of file";
    case PHYSFS_ERR_INVALID_ARGUMENT: return "invalid argument";
    case PHYSFS_ERR_NOT_MOUNTED: return "not mounted";
    case PHYSFS_ERR_NOT_FOUND: return "not found";
    case PHYSFS_ERR_CORRUPT: return "corrupted";
    case PHYSFS_ERR_OUT_OF_MEMORY: return "out of memory";
    case PHYSFS_ERR_SYMLINK_FORBIDDEN: return "symlinks are forbidden";
    case PHYSFS_ERR_IO: return "i/o error";
    default: return "unknown error";
    }
}

char** PHYSFS_enumerateFiles(const char* dir)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    Archive& a = archive();
    const std::string prefix = dir && *dir ? std::string(dir) + "/" : std::string();
    std::vector<std::string> names;
    for (const auto& [name, entry] : a.entries) {
        if (name.compare(0, prefix.size(), prefix) != 0 || (entry.link && !a.linksPermitted))
            continue;
        std::string rest = name.substr(prefix.size());
        rest = rest.substr(0, rest.find('/')); // a file's folder counts once
        if (names.empty() || names.back() != rest)
            names.push_back(rest);
    }
    auto** list = static_cast<char**>(std::calloc(names.size() + 1, sizeof(char*)));
    if (!list) {
        failWith(PHYSFS_ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        list[i] = static_cast<char*>(std::malloc(names[i].size() + 1));
        if (list[i])
            std::memcpy(list[i], names[i].c_str(), names[i].size() + 1);
    }
    return list;
}

void PHYSFS_freeList(void* listVar)
{
    auto** list = static_cast<char**>(listVar);
    for (char** item = list; item && *item; ++item)
        std::free(*item);
    std::free(list);
}

int PHYSFS_exists(const char* fname)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    return fname && archive().entries.count(fname) ? 1 : 0;
}

int PHYSFS_stat(const char* fname, PHYSFS_Stat* stat)
{
    if (!fname || !stat)
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT);
    std::lock_guard<std::mutex> guard(archiveLock);
    auto found = archive().entries.find(fname);
    if (found == archive().entries.end())
        return failWith(PHYSFS_ERR_NOT_FOUND);
    const PHYSFS_FileType type = found->second.link ? PHYSFS_FILETYPE_SYMLINK : PHYSFS_FILETYPE_REGULAR;
    *stat = PHYSFS_Stat{static_cast<PHYSFS_sint64>(found->second.size), -1, -1, -1, type, 1};
    return 1;
}

PHYSFS_File* PHYSFS_openRead(const char* filename)
{
    std::lock_guard<std::mutex> guard(archiveLock);
    Archive& a = archive();
    if (!filename || !a.io) {
        failWith(a.io ? PHYSFS_ERR_INVALID_ARGUMENT : PHYSFS_ERR_NOT_MOUNTED);
        return nullptr;
    }
    auto found = a.entries.find(filename);
    if (found == a.entries.end()) {
        failWith(PHYSFS_ERR_NOT_FOUND);
        return nullptr;
    }
    if (found->second.link && !a.linksPermitted) {
        failWith(PHYSFS_ERR_SYMLINK_FORBIDDEN);
        return nullptr;
    }
    auto handle = std::make_unique<PHYSFS_File>();
    handle->entry = found->second;
    if (!locate(handle->entry, handle->dataStart)) {
        failWith(PHYSFS_ERR_CORRUPT);
        return nullptr;
    }
    return handle.release();
}

int PHYSFS_close(PHYSFS_File* handle)
{
    delete handle;
    return 1;
}

PHYSFS_sint64 PHYSFS_fileLength(PHYSFS_File* handle)
{
    return handle ? static_cast<PHYSFS_sint64>(handle->entry.size) : -1;
}

PHYSFS_sint64 PHYSFS_readBytes(PHYSFS_File* handle, void* buffer, PHYSFS_uint64 len)
{
    if (!handle || (!buffer && len))
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT) - 1;
    if (!handle->extracted && len && !extract(*handle))
        return -1;
    const size_t n = static_cast<size_t>(std::min<PHYSFS_uint64>(len, handle->bytes.size() - handle->position));
    if (n)
        std::memcpy(buffer, handle->bytes.data() + handle->position, n);
    handle->position += n;
    return static_cast<PHYSFS_sint64>(n);
}

int PHYSFS_seek(PHYSFS_File* handle, PHYSFS_uint64 pos)
{
    if (!handle)
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT);
    if (pos > handle->entry.size)
        return failWith(PHYSFS_ERR_PAST_EOF);
    handle->position = static_cast<size_t>(pos);
    return 1;
}

PHYSFS_sint64 PHYSFS_tell(PHYSFS_File* handle) { return handle ? static_cast<PHYSFS_sint64>(handle->position) : -1; }

int PHYSFS_eof(PHYSFS_File* handle) { return !handle || handle->position >= handle->entry.size ? 1 : 0; }

} // extern "C"
