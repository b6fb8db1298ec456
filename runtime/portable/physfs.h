// On Windows and in the browser the data archive is read by our own small zip reader over zlib
// (runtime/portable/zip_archive.cpp): PhysicsFS has neither a MinGW nor a WebAssembly build in
// Debian. It answers the part of PhysicsFS's interface the runtime uses, with the same meaning,
// so the runtime's archive code is the same on every platform. One archive is mounted at a time,
// from a stream the caller hands over.
#pragma once

// Our reader checks every size against the archive itself: PhysicsFS's allocator hook is not needed.
#define ORV_OWN_ZIP_READER 1

#include <cstdint>

extern "C" {

using PHYSFS_sint64 = int64_t;
using PHYSFS_uint64 = uint64_t;
using PHYSFS_uint32 = uint32_t;
struct PHYSFS_File;

// A stream the archive is read through. Mounted with PHYSFS_mountIo, it belongs to the archive
// once the mount succeeds and is destroyed on unmount; on a failed mount the caller keeps it.
struct PHYSFS_Io {
    PHYSFS_uint32 version;
    void* opaque;
    PHYSFS_sint64 (*read)(PHYSFS_Io* io, void* buffer, PHYSFS_uint64 len);
    PHYSFS_sint64 (*write)(PHYSFS_Io* io, const void* buffer, PHYSFS_uint64 len);
    int (*seek)(PHYSFS_Io* io, PHYSFS_uint64 offset);
    PHYSFS_sint64 (*tell)(PHYSFS_Io* io);
    PHYSFS_sint64 (*length)(PHYSFS_Io* io);
    PHYSFS_Io* (*duplicate)(PHYSFS_Io* io);
    int (*flush)(PHYSFS_Io* io);
    void (*destroy)(PHYSFS_Io* io);
};

enum PHYSFS_ErrorCode {
    PHYSFS_ERR_OK,
    PHYSFS_ERR_OTHER_ERROR,
    PHYSFS_ERR_OUT_OF_MEMORY,
    PHYSFS_ERR_NOT_INITIALIZED,
    PHYSFS_ERR_IS_INITIALIZED,
    PHYSFS_ERR_ARGV0_IS_NULL,
    PHYSFS_ERR_UNSUPPORTED,
    PHYSFS_ERR_PAST_EOF,
    PHYSFS_ERR_FILES_STILL_OPEN,
    PHYSFS_ERR_INVALID_ARGUMENT,
    PHYSFS_ERR_NOT_MOUNTED,
    PHYSFS_ERR_NOT_FOUND,
    PHYSFS_ERR_SYMLINK_FORBIDDEN,
    PHYSFS_ERR_NO_WRITE_DIR,
    PHYSFS_ERR_OPEN_FOR_READING,
    PHYSFS_ERR_OPEN_FOR_WRITING,
    PHYSFS_ERR_NOT_A_FILE,
    PHYSFS_ERR_READ_ONLY,
    PHYSFS_ERR_CORRUPT,
    PHYSFS_ERR_SYMLINK_LOOP,
    PHYSFS_ERR_IO,
};

enum PHYSFS_FileType { PHYSFS_FILETYPE_REGULAR, PHYSFS_FILETYPE_DIRECTORY, PHYSFS_FILETYPE_SYMLINK, PHYSFS_FILETYPE_OTHER };

struct PHYSFS_Stat {
    PHYSFS_sint64 filesize;
    PHYSFS_sint64 modtime;
    PHYSFS_sint64 createtime;
    PHYSFS_sint64 accesstime;
    PHYSFS_FileType filetype;
    int readonly;
};

int PHYSFS_init(const char* argv0);
int PHYSFS_deinit(void);
int PHYSFS_isInit(void);
int PHYSFS_mountIo(PHYSFS_Io* io, const char* newDir, const char* mountPoint, int appendToPath);
int PHYSFS_unmount(const char* oldDir);
// Links in the archive are listed and opened only while permitted; forbidden by default.
void PHYSFS_permitSymbolicLinks(int allow);
int PHYSFS_symbolicLinksPermitted(void);
PHYSFS_ErrorCode PHYSFS_getLastErrorCode(void);
const char* PHYSFS_getErrorByCode(PHYSFS_ErrorCode code);
char** PHYSFS_enumerateFiles(const char* dir);
void PHYSFS_freeList(void* listVar);
int PHYSFS_exists(const char* fname);
int PHYSFS_stat(const char* fname, PHYSFS_Stat* stat);
PHYSFS_File* PHYSFS_openRead(const char* filename);
int PHYSFS_close(PHYSFS_File* handle);
PHYSFS_sint64 PHYSFS_fileLength(PHYSFS_File* handle);
PHYSFS_sint64 PHYSFS_readBytes(PHYSFS_File* handle, void* buffer, PHYSFS_uint64 len);
int PHYSFS_seek(PHYSFS_File* handle, PHYSFS_uint64 pos);
PHYSFS_sint64 PHYSFS_tell(PHYSFS_File* handle);
int PHYSFS_eof(PHYSFS_File* handle);

} // extern "C"
