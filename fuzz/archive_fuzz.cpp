// The archive reader on any bytes: mount, list, and read every entry in full.
#include "runtime/archive.h"

#include <cstdlib>

using namespace VELMORA_PELAGOR;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    if (!openArchiveBytes(data, size, error))
        return 0;
    std::vector<uint8_t> bytes;
    std::string why;
    for (const std::string& name : listArchive()) {
        const ArchiveRead read = readArchiveEntry(name.c_str(), bytes, why);
        // Nothing read may exceed what the archive can hold.
        if (bytes.size() > maxEntryBytes() || (read != ArchiveRead::Ok && !bytes.empty()))
            std::abort();
    }
    closeArchive();
    return 0;
}
