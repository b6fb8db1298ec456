#include "runtime/mesh.h"

#include <cstring>

namespace VELMORA_PELAGOR {

namespace {
constexpr size_t headerSize = 12;
constexpr size_t vertexSize = 32;
constexpr size_t faceSize = 24;

uint32_t readU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
float readF32(const uint8_t* p)
{
    const uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}
void writeU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void writeF32(std::vector<uint8_t>& out, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    writeU32(out, bits);
}
Vector3 readVector(const uint8_t* p) { return {readF32(p), readF32(p + 4), readF32(p + 8)}; }
void writeVector(std::vector<uint8_t>& out, const Vector3& v)
{
    writeF32(out, v.x);
    writeF32(out, v.y);
    writeF32(out, v.z);
}
} // namespace

bool decodeT3D(const uint8_t* data, size_t size, T3D& mesh, std::string& error)
{
    mesh.vertices.clear();
    mesh.faces.clear();
    if (size < headerSize || std::memcmp(data, "T3D1", 4) != 0) {
        error = "not a T3D1 mesh";
        return false;
    }
    const uint64_t vertexCount = readU32(data + 4);
    const uint64_t faceCount = readU32(data + 8);
    const uint64_t expected = headerSize + vertexCount * vertexSize + faceCount * faceSize;
    if (expected != size) {
        error = "size " + std::to_string(size) + " does not match " + std::to_string(vertexCount) + " vertices and " +
                std::to_string(faceCount) + " faces";
        return false;
    }
    std::vector<T3DVertex> vertices(vertexCount);
    const uint8_t* p = data + headerSize;
    for (auto& v : vertices) {
        v.position = readVector(p);
        v.normal = readVector(p + 12);
        v.u = readF32(p + 24);
        v.v = readF32(p + 28);
        p += vertexSize;
    }
    std::vector<T3DFace> faces(faceCount);
    for (size_t i = 0; i < faces.size(); ++i) {
        T3DFace& f = faces[i];
        f.normal = readVector(p);
        f.a = readU32(p + 12);
        f.b = readU32(p + 16);
        f.c = readU32(p + 20);
        if (f.a >= vertexCount || f.b >= vertexCount || f.c >= vertexCount) {
            error = "face " + std::to_string(i) + " uses a vertex index beyond " + std::to_string(vertexCount);
            return false;
        }
        p += faceSize;
    }
    mesh.vertices = std::move(vertices);
    mesh.faces = std::move(faces);
    return true;
}

std::vector<uint8_t> encodeT3D(const T3D& mesh)
{
    std::vector<uint8_t> out;
    out.reserve(headerSize + mesh.vertices.size() * vertexSize + mesh.faces.size() * faceSize);
    for (char c : {'T', '3', 'D', '1'})
        out.push_back(static_cast<uint8_t>(c));
    writeU32(out, static_cast<uint32_t>(mesh.vertices.size()));
    writeU32(out, static_cast<uint32_t>(mesh.faces.size()));
    for (const T3DVertex& v : mesh.vertices) {
        writeVector(out, v.position);
        writeVector(out, v.normal);
        writeF32(out, v.u);
        writeF32(out, v.v);
    }
    for (const T3DFace& f : mesh.faces) {
        writeVector(out, f.normal);
        writeU32(out, f.a);
        writeU32(out, f.b);
        writeU32(out, f.c);
    }
    return out;
}

} // namespace VELMORA_PELAGOR
