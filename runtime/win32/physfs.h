// On Windows the data archive is read by our own small zip reader over zlib
// (runtime/win32/zip_archive.cpp): PhysicsFS has no MinGW build in Debian and its source is not
// at hand. It answers the part of PhysicsFS's interface the runtime uses, with the same meaning,
// so the runtime's archive code is the same on every platform. One archive is mounted at a time.
#pragma once

#include <cstdint>

extern "C" {

using PHYSFS_sint64 = int64_t;
using PHYSFS_uint64 = uint64_t;
struct PHYSFS_File;

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
int PHYSFS_mount(const char* newDir, const char* mountPoint, int appendToPath);
int PHYSFS_unmount(const char* oldDir);
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
