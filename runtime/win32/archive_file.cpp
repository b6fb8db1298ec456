// The archive's file on Windows: a folder or anything that is not a file on disk (a named pipe, a
// console, a device) is refused before a byte is read, and reads go by position so that the
// archive reader's streams share the one handle.
#include "runtime/archive_file.h"
#include "runtime/state.h"
#include "platform/utf8_files.h"
#include "platform/win32/wide_text.h"

#include <algorithm>

namespace VELMORA_PELAGOR {

namespace {

class FileSource final : public ArchiveSource {
public:
    FileSource(HANDLE file, uint64_t bytes) : file(file), bytes(bytes) {}
    ~FileSource() override { CloseHandle(file); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    uint64_t size() const override { return bytes; }

    int64_t readAt(uint64_t offset, void* out, uint64_t length) const override
    {
        uint64_t done = 0;
        while (done < length) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset + done);
            at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
            const DWORD want = static_cast<DWORD>(std::min<uint64_t>(length - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file, static_cast<char*>(out) + done, want, &got, &at))
                return GetLastError() == ERROR_HANDLE_EOF ? static_cast<int64_t>(done) : -1;
            if (got == 0)
                break;
            done += got;
        }
        return static_cast<int64_t>(done);
    }

private:
    HANDLE file;
    uint64_t bytes;
};

} // namespace

std::shared_ptr<const ArchiveSource> openArchiveFile(const std::string& path, std::string& error)
{
    const std::wstring widePath = wideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = detail::lastErrorText();
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = "it is a folder, not a file";
        return nullptr;
    }
    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = detail::lastErrorText();
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        error = "it is not a file on disk (a pipe or a device)";
        CloseHandle(file);
        return nullptr;
    }
    return std::make_shared<FileSource>(file, static_cast<uint64_t>(size.QuadPart));
}

} // namespace VELMORA_PELAGOR
