// A read-only zip reader over zlib behind PhysicsFS's interface (runtime/win32/physfs.h).
//
// The central directory is read once at mount; a file is inflated whole when opened. Every size
// is checked against the archive's own length before anything is allocated or read.
#include "runtime/win32/physfs.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct PHYSFS_File {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

namespace {

// No single file of ours comes near this; a larger declared size is a damaged or hostile archive.
constexpr uint64_t largestFile = uint64_t{1} << 30;

struct Entry {
    uint16_t method = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localHeader = 0;
};

struct Archive {
    bool initialised = false;
    std::string path;
    FILE* file = nullptr;
    uint64_t length = 0;
    std::map<std::string, Entry> entries;
    PHYSFS_ErrorCode lastError = PHYSFS_ERR_OK;
};

Archive& archive()
{
    static Archive state;
    return state;
}

int failWith(PHYSFS_ErrorCode code)
{
    archive().lastError = code;
    return 0;
}

uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool readAt(FILE* file, uint64_t offset, void* out, size_t size)
{
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0 && std::fread(out, 1, size, file) == size;
}

// The end-of-central-directory record: in the last 22 bytes plus at most a 64 KiB comment.
bool findDirectory(Archive& a, uint64_t& offset, uint64_t& size, uint16_t& count)
{
    constexpr size_t recordSize = 22;
    if (a.length < recordSize)
        return false;
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(a.length, recordSize + 0xFFFF));
    std::vector<uint8_t> bytes(tail);
    if (!readAt(a.file, a.length - tail, bytes.data(), tail))
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
    if (size && !readAt(a.file, offset, bytes.data(), bytes.size()))
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

bool extract(const Entry& entry, std::vector<uint8_t>& out)
{
    Archive& a = archive();
    uint8_t local[30];
    if (!readAt(a.file, entry.localHeader, local, sizeof local) || read32(local) != 0x04034b50)
        return false;
    const uint64_t dataStart = entry.localHeader + sizeof local + read16(local + 26) + read16(local + 28);
    if (entry.size > largestFile || entry.compressedSize > a.length || dataStart + entry.compressedSize > a.length)
        return false;
    std::vector<uint8_t> stored(static_cast<size_t>(entry.compressedSize));
    if (!stored.empty() && !readAt(a.file, dataStart, stored.data(), stored.size()))
        return false;
    if (entry.method == 0) {
        if (entry.compressedSize != entry.size)
            return false;
        out = std::move(stored);
        return true;
    }
    if (entry.method != 8)
        return false;
    out.assign(static_cast<size_t>(entry.size), 0);
    return out.empty() ? stored.size() <= 2 : inflateRaw(stored, out);
}

} // namespace

extern "C" {

int PHYSFS_init(const char*)
{
    if (archive().initialised)
        return failWith(PHYSFS_ERR_IS_INITIALIZED);
    archive().initialised = true;
    return 1;
}

int PHYSFS_deinit(void)
{
    Archive& a = archive();
    if (!a.initialised)
        return failWith(PHYSFS_ERR_NOT_INITIALIZED);
    if (a.file)
        std::fclose(a.file);
    a = Archive{};
    return 1;
}

int PHYSFS_isInit(void) { return archive().initialised ? 1 : 0; }

int PHYSFS_mount(const char* newDir, const char*, int)
{
    Archive& a = archive();
    if (!a.initialised)
        return failWith(PHYSFS_ERR_NOT_INITIALIZED);
    if (!newDir)
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT);
    if (a.file)
        return failWith(PHYSFS_ERR_UNSUPPORTED); // one archive at a time
    a.file = std::fopen(newDir, "rb");
    if (!a.file)
        return failWith(PHYSFS_ERR_NOT_FOUND);
    _fseeki64(a.file, 0, SEEK_END);
    a.length = static_cast<uint64_t>(std::max<__int64>(0, _ftelli64(a.file)));
    if (!readDirectory(a)) {
        std::fclose(a.file);
        a.file = nullptr;
        a.entries.clear();
        return failWith(PHYSFS_ERR_UNSUPPORTED);
    }
    a.path = newDir;
    return 1;
}

int PHYSFS_unmount(const char* oldDir)
{
    Archive& a = archive();
    if (!a.file || !oldDir || a.path != oldDir)
        return failWith(PHYSFS_ERR_NOT_MOUNTED);
    std::fclose(a.file);
    a.file = nullptr;
    a.entries.clear();
    a.path.clear();
    return 1;
}

PHYSFS_ErrorCode PHYSFS_getLastErrorCode(void)
{
    const PHYSFS_ErrorCode code = archive().lastError;
    archive().lastError = PHYSFS_ERR_OK;
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
    default: return "unknown error";
    }
}

char** PHYSFS_enumerateFiles(const char* dir)
{
    Archive& a = archive();
    const std::string prefix = dir && *dir ? std::string(dir) + "/" : std::string();
    std::vector<std::string> names;
    for (const auto& [name, entry] : a.entries) {
        if (name.compare(0, prefix.size(), prefix) != 0)
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

int PHYSFS_exists(const char* fname) { return fname && archive().entries.count(fname) ? 1 : 0; }

int PHYSFS_stat(const char* fname, PHYSFS_Stat* stat)
{
    if (!fname || !stat)
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT);
    auto found = archive().entries.find(fname);
    if (found == archive().entries.end())
        return failWith(PHYSFS_ERR_NOT_FOUND);
    *stat = PHYSFS_Stat{static_cast<PHYSFS_sint64>(found->second.size), -1, -1, -1, PHYSFS_FILETYPE_REGULAR, 1};
    return 1;
}

PHYSFS_File* PHYSFS_openRead(const char* filename)
{
    Archive& a = archive();
    if (!filename || !a.file) {
        failWith(a.file ? PHYSFS_ERR_INVALID_ARGUMENT : PHYSFS_ERR_NOT_MOUNTED);
        return nullptr;
    }
    auto found = a.entries.find(filename);
    if (found == a.entries.end()) {
        failWith(PHYSFS_ERR_NOT_FOUND);
        return nullptr;
    }
    auto handle = std::make_unique<PHYSFS_File>();
    if (!extract(found->second, handle->bytes)) {
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
    return handle ? static_cast<PHYSFS_sint64>(handle->bytes.size()) : -1;
}

PHYSFS_sint64 PHYSFS_readBytes(PHYSFS_File* handle, void* buffer, PHYSFS_uint64 len)
{
    if (!handle || (!buffer && len))
        return failWith(PHYSFS_ERR_INVALID_ARGUMENT) - 1;
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
    if (pos > handle->bytes.size())
        return failWith(PHYSFS_ERR_PAST_EOF);
    handle->position = static_cast<size_t>(pos);
    return 1;
}

PHYSFS_sint64 PHYSFS_tell(PHYSFS_File* handle) { return handle ? static_cast<PHYSFS_sint64>(handle->position) : -1; }

int PHYSFS_eof(PHYSFS_File* handle) { return !handle || handle->position >= handle->bytes.size() ? 1 : 0; }

} // extern "C"
