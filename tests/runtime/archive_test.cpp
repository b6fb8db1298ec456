// Hostile archives: an entry or a link declaring gigabytes, an entry whose directory and local
// header disagree. Each costs only itself, with a message naming it, and nothing large is allocated.
#include "runtime/archive.h"
#include "runtime/dms.h"
#include "tests/runtime/allocation_probe.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/gl_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::vector<uint8_t> seed(const std::string& name)
{
    std::ifstream file(std::string(ORV_SOURCE_DIR) + "/fuzz/corpus/archive/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Mounts a seed archive for the test and puts back whatever archive the runtime had.
class HostileArchive : public ::testing::Test {
protected:
    void TearDown() override
    {
        closeArchive();
        if (hadArchive) {
            std::string error;
            EXPECT_TRUE(openArchive(testArchivePath(), error)) << error;
        }
    }
    bool mount(const std::string& name)
    {
        hadArchive = hadArchive || archiveIsOpen();
        const std::vector<uint8_t> bytes = seed(name);
        std::string error;
        const bool ok = openArchiveBytes(bytes.data(), bytes.size(), error);
        EXPECT_TRUE(ok) << name << ": " << error;
        return ok;
    }
    bool hadArchive = false;
};

TEST_F(HostileArchive, AnEntryDeclaringGigabytesIsUnreadableAndAllocatesNothingLarge)
{
    ASSERT_TRUE(mount("huge-declared-entry.zip"));
    std::vector<uint8_t> bytes;
    std::string why;
    AllocationProbe probe;
    const ArchiveRead read = readArchiveEntry("b.png", bytes, why);
    EXPECT_LT(probe.largest(), size_t(1) << 20);
    EXPECT_EQ(read, ArchiveRead::Unreadable);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(why, "it declares 3221225472 bytes, more than the archive can hold");
    EXPECT_EQ(archiveReadProblem("b.png", read, why),
              "\"b.png\" cannot be read from the data archive (it declares 3221225472 bytes, more than the archive "
              "can hold)");
    // The entries around it are untouched, and a name that is not there is still called missing.
    EXPECT_EQ(readArchiveEntry("a.glsl", bytes, why), ArchiveRead::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "void main() {}\n");
    EXPECT_EQ(readArchiveEntry("nowhere.png", bytes, why), ArchiveRead::Missing);
    EXPECT_EQ(archiveReadProblem("nowhere.png", ArchiveRead::Missing, why), "\"nowhere.png\" is not in the data archive");
}

TEST_F(HostileArchive, OneDamagedEntryIsReportedAndEveryOtherIsListedAndRead)
{
    LogCapture log;
    ASSERT_TRUE(mount("directory-size-mismatch.zip"));
    EXPECT_TRUE(log.contains("is damaged: 1 entry cannot be read: \"b.png\"")) << log.all();
    EXPECT_EQ(archiveDamage().find("b.png") != std::string::npos, true);

    std::vector<std::string> names = listArchive();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.glsl", "b.png", "c.t3d"}));
    std::vector<uint8_t> bytes;
    std::string why;
    EXPECT_EQ(readArchiveEntry("a.glsl", bytes, why), ArchiveRead::Ok);
    EXPECT_EQ(readArchiveEntry("c.t3d", bytes, why), ArchiveRead::Ok);
    EXPECT_EQ(bytes.size(), 12u + 3 * 32 + 24);
    EXPECT_EQ(readArchiveEntry("b.png", bytes, why), ArchiveRead::Unreadable);
    EXPECT_FALSE(why.empty());
}

// PhysicsFS sizes a link's target buffer from the 3 GB the entry declares: refused, it costs the
// link alone, named for what it is, and the archive is used as it is.
TEST_F(HostileArchive, ALinkDeclaringGigabytesIsRefusedAndTheRestIsRead)
{
    LogCapture log;
    ASSERT_TRUE(mount("link-declaring-gigabytes.zip"));
    EXPECT_TRUE(log.contains("1 entry cannot be read: \"link\"")) << log.all();
#ifndef _WIN32
    // The Windows reader refuses a link before looking at its target at all.
    EXPECT_TRUE(log.contains("\"link\" (it declares more than the archive can hold)")) << log.all();
#endif
    std::vector<uint8_t> bytes;
    std::string why;
    EXPECT_EQ(readArchiveEntry("a.glsl", bytes, why), ArchiveRead::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "void main() {}\n");
    EXPECT_EQ(readArchiveEntry("link", bytes, why), ArchiveRead::Unreadable);
}

TEST_F(HostileArchive, DeflatedEntriesAreReadInFull)
{
    ASSERT_TRUE(mount("deflated.zip"));
    std::vector<uint8_t> bytes;
    std::string why;
    ASSERT_EQ(readArchiveEntry("zeros.txt", bytes, why), ArchiveRead::Ok) << why;
    EXPECT_EQ(bytes.size(), 100000u);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(archiveDamage().empty());
}

} // namespace
