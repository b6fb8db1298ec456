// SHA-256 (FIPS 180-4), for the sidecar's checksum of the data archive: small enough to keep
// rather than link a cryptography library for one digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    Sha256();
    void add(const void* data, size_t size);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string hex();

private:
    void block(const uint8_t* p);
    uint32_t state[8];
    uint8_t pending[64];
    size_t pendingSize = 0;
    uint64_t totalBytes = 0;
};

// The digest of a whole file, read in chunks; false when it cannot be read.
bool sha256OfFile(const std::string& path, std::string& hex);
