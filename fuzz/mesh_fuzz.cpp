// The .t3d mesh decoder on any bytes: it must reject or decode, every index in range.
#include "runtime/mesh.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    T3D mesh;
    std::string error;
    if (decodeT3D(data, size, mesh, error)) {
        for (const T3DFace& face : mesh.faces)
            if (face.a >= mesh.vertices.size() || face.b >= mesh.vertices.size() || face.c >= mesh.vertices.size())
                std::abort();
    } else if (!mesh.vertices.empty() || !mesh.faces.empty() || error.empty()) {
        std::abort();
    }
    return 0;
}
