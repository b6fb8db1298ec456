// The data archive: a zip read through PhysicsFS, and the texts and meshes inside it.
#include "runtime/mesh.h"
#include "runtime/state.h"

#include <physfs.h>

#include <memory>
#include <unordered_map>

namespace VELMORA_PELAGOR::detail {

namespace {
bool mounted = false;
std::string mountedPath;

const char* physfsError() { return PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()); }
} // namespace

bool openArchive(const std::string& path, std::string& error)
{
    if (!PHYSFS_isInit() && !PHYSFS_init(nullptr)) {
        error = physfsError();
        return false;
    }
    if (!PHYSFS_mount(path.c_str(), nullptr, 0)) {
        error = physfsError();
        return false;
    }
    mounted = true;
    mountedPath = path;
    return true;
}

void closeArchive()
{
    if (mounted)
        PHYSFS_unmount(mountedPath.c_str());
    mounted = false;
    if (PHYSFS_isInit())
        PHYSFS_deinit();
}

bool archiveIsOpen() { return mounted; }

bool readArchiveFile(const char* name, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!mounted || !name)
        return false;
    PHYSFS_File* file = PHYSFS_openRead(name);
    if (!file)
        return false;
    const PHYSFS_sint64 length = PHYSFS_fileLength(file);
    bool ok = length >= 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(length));
        ok = PHYSFS_readBytes(file, bytes.data(), static_cast<PHYSFS_uint64>(length)) == length;
    }
    PHYSFS_close(file);
    if (!ok)
        bytes.clear();
    return ok;
}

std::vector<std::string> listArchive()
{
    std::vector<std::string> names;
    if (!mounted)
        return names;
    char** list = PHYSFS_enumerateFiles("");
    for (char** item = list; item && *item; ++item)
        names.emplace_back(*item);
    PHYSFS_freeList(list);
    return names;
}

namespace {
// The runtime owns every text and mesh it hands out; they live until the process ends.
std::unordered_map<std::string, std::unique_ptr<std::string>>& texts()
{
    static std::unordered_map<std::string, std::unique_ptr<std::string>> map;
    return map;
}
std::unordered_map<std::string, std::unique_ptr<T3D>>& meshes()
{
    static std::unordered_map<std::string, std::unique_ptr<T3D>> map;
    return map;
}
} // namespace

void releaseResources()
{
    texts().clear();
    // Meshes stay: effects keep pointers to them for the whole run.
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
    if (!readArchiveFile(name, bytes)) {
        dmsMsg("dmsGetText: \"%s\" is not in the data archive\n", name);
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
    if (!readArchiveFile(key.c_str(), bytes)) {
        dmsMsg("dmsGetObject: \"%s\" is not in the data archive; using an empty mesh\n", key.c_str());
    } else {
        std::string error;
        if (!decodeT3D(bytes.data(), bytes.size(), *mesh, error))
            dmsMsg("dmsGetObject: \"%s\" is malformed (%s); using an empty mesh\n", key.c_str(), error.c_str());
    }
    T3D* result = mesh.get();
    meshes()[key] = std::move(mesh);
    return result;
}

} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
bool dmsReadArchiveFile(const char* name, std::vector<uint8_t>& bytes) { return detail::readArchiveFile(name, bytes); }
} // namespace VELMORA_PELAGOR
