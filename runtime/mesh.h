// The .t3d mesh format, written by the data generator and read here.
//
// Little-endian throughout:
//   offset 0   4 bytes  magic "T3D1"
//   offset 4   uint32   vertex count V
//   offset 8   uint32   face count F
//   offset 12  V vertices of 32 bytes: position x, y, z, normal x, y, z, u, v (float32 each)
//   then       F faces of 24 bytes: face normal x, y, z (float32), indices a, b, c (uint32)
// The file is exactly 12 + 32 V + 24 F bytes long and every index is below V; anything else
// is rejected as malformed.
#pragma once

#include "runtime/dms.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

// Fills mesh from the bytes of a .t3d file; on failure leaves it empty and says why in error.
bool decodeT3D(const uint8_t* data, size_t size, T3D& mesh, std::string& error);
std::vector<uint8_t> encodeT3D(const T3D& mesh);

} // namespace VELMORA_PELAGOR
