// The data archive: a zip read through PhysicsFS.
//
// Archives are hostile data: an entry's declared size is only believed up to what the archive
// can hold, bytes are read in chunks as they really come, and one damaged entry costs only
// itself: the others are still listed and read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

enum class ArchiveRead { Ok, Missing, Unreadable };

// Mounts the zip at path, or a copy of the bytes in memory; one archive at a time.
bool openArchive(const std::string& path, std::string& error);
bool openArchiveBytes(const uint8_t* data, size_t size, std::string& error);
void closeArchive();
bool archiveIsOpen();

// Every entry name of the archive root, damaged entries included (reading them says what is
// wrong). After the first listing, archiveDamage() names the entries that cannot be opened.
std::vector<std::string> listArchive();
const std::string& archiveDamage();

// Reads a whole entry. Unreadable: it is listed but cannot be opened, declares more than the
// archive can hold, or ends before its declared size; `why` says which.
ArchiveRead readArchiveEntry(const char* name, std::vector<uint8_t>& bytes, std::string& why);
// The log text for a failed read: "\"name\" is not in the data archive" or
// "\"name\" cannot be read from the data archive (why)".
std::string archiveReadProblem(const char* name, ArchiveRead result, const std::string& why);

// The most an entry may hold: what the archive's size can expand to under deflate, and never
// more than a fixed ceiling far above any real entry.
size_t maxEntryBytes();

} // namespace VELMORA_PELAGOR
