// Writing the data archive: a plain zip of stored (uncompressed) entries. The images and the
// music are compressed already; the shader texts are small.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PakFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

uint32_t crc32(const uint8_t* data, size_t size);
// The zip bytes of the files, in the given order, with a fixed timestamp so the same files give
// the same archive.
std::vector<uint8_t> buildZip(const std::vector<PakFile>& files);
// Writes bytes to path through a temporary file, so a failed run never leaves a half archive.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
