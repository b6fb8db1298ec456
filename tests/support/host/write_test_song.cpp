// Writes the runtime tests' song to a file, for the Windows build's runtime tests: that build has
// no Vorbis encoder of its own.
#include "tests/runtime/runtime_fixture.h"
#include "tools/datagen/pak.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvalune-test-song OUT.ogg\n");
        return 2;
    }
    const std::vector<uint8_t> song = testSongBytes();
    std::string error;
    if (song.empty() || !writeFileAtomically(argv[1], song, error)) {
        std::fprintf(stderr, "orvalune-test-song: cannot write %s: %s\n", argv[1],
                     song.empty() ? "the encoder failed" : error.c_str());
        return 1;
    }
    return 0;
}
