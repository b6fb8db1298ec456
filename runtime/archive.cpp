// The data archive: a zip read through PhysicsFS, and the texts and meshes inside it.
#include "runtime/archive.h"

#include "runtime/archive_file.h"
#include "runtime/mesh.h"
#include "runtime/state.h"

#include <physfs.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace VELMORA_PELAGOR {

namespace {
bool mounted = false;
std::string mountedPath;
uint64_t archiveSize = 0;
std::string damage;

// Deflate expands at most 1032 times; nothing the show reads comes near the ceiling.
constexpr uint64_t deflateMaxRatio = 1032;
constexpr uint64_t entryCeiling = uint64_t(256) << 20;
constexpr size_t readChunk = size_t(1) << 20;

// Set when the archive reader is refused memory; cleared before each entry is opened, so that the
// entry's failure can be named for what it is.
std::atomic<bool> allocationRefused{false};

#ifndef ORV_OWN_ZIP_READER
// PhysicsFS sizes some allocations from what an archive declares (a link's target, for one: a
// 500-byte archive asked for 3 GB). None may pass what the mounted archive can hold expanded, or
// the floor its own working buffers need; a refused one fails as out of memory and costs only the
// entry that asked. (The Windows reader checks every size itself.)
constexpr uint64_t allocationFloor = uint64_t(1) << 20;
std::atomic<uint64_t> allocationLimit{entryCeiling};

bool allocationAllowed(PHYSFS_uint64 size)
{
    if (size <= allocationLimit.load(std::memory_order_relaxed))
        return true;
    allocationRefused = true;
    return false;
}
void* boundedMalloc(PHYSFS_uint64 size) { return allocationAllowed(size) ? std::malloc(size) : nullptr; }
void* boundedRealloc(void* block, PHYSFS_uint64 size)
{
    return allocationAllowed(size) ? std::realloc(block, size) : nullptr;
}
void boundedFree(void* block) { std::free(block); }
const PHYSFS_Allocator boundedAllocator = {nullptr, nullptr, boundedMalloc, boundedRealloc, boundedFree};
#endif

const char* errorText(PHYSFS_ErrorCode code)
{
    // PhysicsFS may report what followed the refusal ("corrupted") rather than the refusal.
    if (allocationRefused.exchange(false))
        return "it declares more than the archive can hold";
    return PHYSFS_getErrorByCode(code);
}

const char* physfsError() { return errorText(PHYSFS_getLastErrorCode()); }

bool mountChecked(bool ok, const std::string& label, std::string& error)
{
    if (!ok) {
        error = physfsError();
        return false;
    }
    mounted = true;
    mountedPath = label;
    damage.clear();
    // Name the damaged entries once, up front; the rest of the archive is used as it is.
    std::vector<std::string> broken;
    for (const std::string& name : listArchive()) {
        allocationRefused = false;
        PHYSFS_File* file = PHYSFS_openRead(name.c_str());
        if (file)
            PHYSFS_close(file);
        else
            broken.push_back("\"" + name + "\" (" + physfsError() + ")");
    }
    if (!broken.empty()) {
        damage = std::to_string(broken.size()) + (broken.size() == 1 ? " entry" : " entries") + " cannot be read:";
        for (const std::string& item : broken)
            damage += " " + item;
        dmsMsg("The data archive \"%s\" is damaged: %s; every other entry is used\n", label.c_str(), damage.c_str());
    }
    return true;
}

// The archive's bytes as a PhysicsFS stream, each with its own position over a shared source.
// PhysicsFS duplicates the stream for every entry it opens and frees each one through destroy
// (its own memory mount never frees its stream on unmount).
struct Cursor {
    std::shared_ptr<const ArchiveSource> source;
    PHYSFS_uint64 position;
};

Cursor& cursorOf(PHYSFS_Io* io) { return *static_cast<Cursor*>(io->opaque); }

PHYSFS_Io* sourceStream(std::shared_ptr<const ArchiveSource> source);

PHYSFS_sint64 streamRead(PHYSFS_Io* io, void* out, PHYSFS_uint64 length)
{
    Cursor& cursor = cursorOf(io);
    const PHYSFS_uint64 n = std::min<PHYSFS_uint64>(length, cursor.source->size() - cursor.position);
    const int64_t got = n > 0 ? cursor.source->readAt(cursor.position, out, n) : 0;
    if (got < 0)
        return -1;
    cursor.position += static_cast<PHYSFS_uint64>(got);
    return got;
}
PHYSFS_sint64 streamWrite(PHYSFS_Io*, const void*, PHYSFS_uint64) { return -1; }
int streamSeek(PHYSFS_Io* io, PHYSFS_uint64 offset)
{
    Cursor& cursor = cursorOf(io);
    if (offset > cursor.source->size())
        return 0;
    cursor.position = offset;
    return 1;
}
PHYSFS_sint64 streamTell(PHYSFS_Io* io) { return static_cast<PHYSFS_sint64>(cursorOf(io).position); }
PHYSFS_sint64 streamLength(PHYSFS_Io* io) { return static_cast<PHYSFS_sint64>(cursorOf(io).source->size()); }
PHYSFS_Io* streamDuplicate(PHYSFS_Io* io) { return sourceStream(cursorOf(io).source); }
int streamFlush(PHYSFS_Io*) { return 1; }
void streamDestroy(PHYSFS_Io* io)
{
    delete &cursorOf(io);
    delete io;
}

PHYSFS_Io* sourceStream(std::shared_ptr<const ArchiveSource> source)
{
    return new PHYSFS_Io{0,          new Cursor{std::move(source), 0}, streamRead,  streamWrite, streamSeek,
                         streamTell, streamLength,                     streamDuplicate, streamFlush, streamDestroy};
}

// An archive held in memory (the fuzz targets, the tests), mounted under this name.
const char* const memoryArchiveLabel = "memory.zip";
class MemorySource final : public ArchiveSource {
public:
    MemorySource(const uint8_t* data, size_t size) : bytes(data, data + size) {}
    uint64_t size() const override { return bytes.size(); }
    int64_t readAt(uint64_t offset, void* out, uint64_t length) const override
    {
        const uint64_t n = offset < bytes.size() ? std::min<uint64_t>(length, bytes.size() - offset) : 0;
        if (n > 0)
            std::memcpy(out, bytes.data() + offset, static_cast<size_t>(n));
        return static_cast<int64_t>(n);
    }

private:
    std::vector<uint8_t> bytes;
};

// Mounts the source under `label`, whose extension tells PhysicsFS which reader to try first.
// PhysicsFS owns the stream once the mount succeeds.
bool mountSource(std::shared_ptr<const ArchiveSource> source, const std::string& label, std::string& error)
{
    archiveSize = source->size();
#ifndef ORV_OWN_ZIP_READER
    allocationLimit = std::max<uint64_t>(allocationFloor, maxEntryBytes());
#endif
    allocationRefused = false;
    PHYSFS_Io* stream = sourceStream(std::move(source));
    const bool mountedNow = PHYSFS_mountIo(stream, label.c_str(), nullptr, 0) != 0;
    if (!mountedNow)
        streamDestroy(stream);
    return mountChecked(mountedNow, label, error);
}

bool startPhysfs(std::string& error)
{
    if (mounted)
        closeArchive();
#ifndef ORV_OWN_ZIP_READER
    if (!PHYSFS_isInit())
        PHYSFS_setAllocator(&boundedAllocator);
#endif
    if (!PHYSFS_isInit() && !PHYSFS_init(nullptr)) {
        error = physfsError();
        return false;
    }
    return true;
}
} // namespace

bool openArchive(const std::string& path, std::string& error)
{
    if (!startPhysfs(error))
        return false;
    std::shared_ptr<const ArchiveSource> file = openArchiveFile(path, error);
    return file && mountSource(std::move(file), path, error);
}

bool openArchiveBytes(const uint8_t* data, size_t size, std::string& error)
{
    if (!startPhysfs(error))
        return false;
    return mountSource(std::make_shared<MemorySource>(data, size), memoryArchiveLabel, error);
}

std::string dmsArchiveFile() { return mounted && mountedPath != memoryArchiveLabel ? mountedPath : std::string(); }

void closeArchive()
{
    if (mounted)
        PHYSFS_unmount(mountedPath.c_str());
    mounted = false;
    archiveSize = 0;
    damage.clear();
    if (PHYSFS_isInit())
        PHYSFS_deinit();
}

bool archiveIsOpen() { return mounted; }

const std::string& archiveDamage() { return damage; }

size_t maxEntryBytes() { return static_cast<size_t>(std::min(archiveSize * deflateMaxRatio, entryCeiling)); }

ArchiveRead readArchiveEntry(const char* name, std::vector<uint8_t>& bytes, std::string& why)
{
    bytes.clear();
    why.clear();
    if (!mounted || !name)
        return ArchiveRead::Missing;
    allocationRefused = false;
    PHYSFS_File* file = PHYSFS_openRead(name);
    if (!file) {
        const PHYSFS_ErrorCode code = PHYSFS_getLastErrorCode();
        if (code == PHYSFS_ERR_NOT_FOUND)
            return ArchiveRead::Missing;
        why = errorText(code);
        return ArchiveRead::Unreadable;
    }
    const PHYSFS_sint64 declared = PHYSFS_fileLength(file);
    if (declared < 0) {
        why = "its size is unknown";
    } else if (static_cast<uint64_t>(declared) > maxEntryBytes()) {
        why = "it declares " + std::to_string(declared) + " bytes, more than the archive can hold";
    } else {
        // In chunks: a size the headers lie about costs only the bytes that really come.
        const size_t total = static_cast<size_t>(declared);
        while (bytes.size() < total) {
            const size_t done = bytes.size();
            const size_t want = std::min(readChunk, total - done);
            bytes.resize(done + want);
            const PHYSFS_sint64 got = PHYSFS_readBytes(file, bytes.data() + done, want);
            if (got < 0 || static_cast<size_t>(got) < want) {
                const size_t have = done + static_cast<size_t>(std::max<PHYSFS_sint64>(got, 0));
                why = "it ends after " + std::to_string(have) + " of its " + std::to_string(total) + " bytes";
                break;
            }
        }
    }
    PHYSFS_close(file);
    if (!why.empty()) {
        bytes.clear();
        bytes.shrink_to_fit();
        return ArchiveRead::Unreadable;
    }
    return ArchiveRead::Ok;
}

std::string archiveReadProblem(const char* name, ArchiveRead result, const std::string& why)
{
    const std::string quoted = std::string("\"") + (name ? name : "") + "\"";
    if (result == ArchiveRead::Missing)
        return quoted + " is not in the data archive";
    return quoted + " cannot be read from the data archive (" + why + ")";
}

std::vector<std::string> listArchive()
{
    std::vector<std::string> names;
    if (!mounted)
        return names;
    // With links forbidden PhysicsFS inspects every entry to leave links out, and one damaged
    // entry then fails the whole listing. Links are listed here and refused when opened.
    const int allowed = PHYSFS_symbolicLinksPermitted();
    PHYSFS_permitSymbolicLinks(1);
    char** list = PHYSFS_enumerateFiles("");
    PHYSFS_permitSymbolicLinks(allowed);
    for (char** item = list; item && *item; ++item)
        names.emplace_back(*item);
    PHYSFS_freeList(list);
    return names;
}

} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR::detail {

namespace {
// The runtime owns every text and mesh it hands out; they live until the process ends. Built
// before main, so they outlive any exit handler that shuts the runtime down.
std::unordered_map<std::string, std::unique_ptr<std::string>> textMap;
std::unordered_map<std::string, std::unique_ptr<T3D>> meshMap;
std::unordered_map<std::string, std::unique_ptr<std::string>>& texts() { return textMap; }
std::unordered_map<std::string, std::unique_ptr<T3D>>& meshes() { return meshMap; }
std::vector<std::string> problemList;
std::vector<std::string> requiredList;
} // namespace

void releaseResources()
{
    texts().clear();
    problemList.clear();
    // Meshes stay: effects keep pointers to them for the whole run.
}

void noteResourceProblem(const std::string& line)
{
    dmsMsg("%s\n", line.c_str());
    problemList.push_back(line);
}

std::vector<std::string> missingRequiredFiles()
{
    const std::vector<std::string> entries = listArchive();
    const std::unordered_set<std::string> present(entries.begin(), entries.end());
    std::vector<std::string> missing;
    for (const std::string& name : requiredList)
        if (!present.count(name))
            missing.push_back(name);
    return missing;
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

const char* dmsGetText(const char* name)
{
    if (!name)
        return nullptr;
    auto found = texts().find(name);
    if (found != texts().end())
        return found->second ? found->second->c_str() : nullptr;
    std::vector<uint8_t> bytes;
    std::string why;
    if (const ArchiveRead read = readArchiveEntry(name, bytes, why); read != ArchiveRead::Ok) {
        noteResourceProblem("dmsGetText: " + archiveReadProblem(name, read, why));
        texts()[name] = nullptr;
        return nullptr;
    }
    auto text = std::make_unique<std::string>(bytes.begin(), bytes.end());
    const char* result = text->c_str();
    texts()[name] = std::move(text);
    return result;
}

T3D* dmsGetObject(const char* name)
{
    const std::string key = name ? name : "";
    auto found = meshes().find(key);
    if (found != meshes().end())
        return found->second.get();
    auto mesh = std::make_unique<T3D>();
    std::vector<uint8_t> bytes;
    std::string why;
    if (const ArchiveRead read = readArchiveEntry(key.c_str(), bytes, why); read != ArchiveRead::Ok) {
        noteResourceProblem("dmsGetObject: " + archiveReadProblem(key.c_str(), read, why) + "; using an empty mesh");
    } else {
        std::string error;
        if (!decodeT3D(bytes.data(), bytes.size(), *mesh, error))
            noteResourceProblem("dmsGetObject: \"" + key + "\" is malformed (" + error + "); using an empty mesh");
    }
    T3D* result = mesh.get();
    meshes()[key] = std::move(mesh);
    return result;
}

} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
void dmsRequireArchiveFiles(std::vector<std::string> names) { detail::requiredList = std::move(names); }
const std::vector<std::string>& dmsResourceProblems() { return detail::problemList; }

bool dmsReadArchiveFile(const char* name, std::vector<uint8_t>& bytes)
{
    std::string why;
    return readArchiveEntry(name, bytes, why) == ArchiveRead::Ok;
}
} // namespace VELMORA_PELAGOR
