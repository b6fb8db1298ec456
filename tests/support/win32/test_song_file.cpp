// The runtime tests' song on Windows: the Linux build encodes it (orvalune-test-song), as this
// build has no Vorbis encoder. Empty when the file is missing, and the tests that play it fail.
#include "tests/runtime/runtime_fixture.h"
#include "tools/datagen/pak.h"

std::vector<uint8_t> testSongBytes()
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(ORV_TEST_SONG, bytes))
        bytes.clear();
    return bytes;
}
