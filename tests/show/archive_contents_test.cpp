// An archive that is a sound zip but not this show's data: the programs refuse it, naming what is
// missing, and a capture never calls a frame drawn with a placeholder a success.
#include "runtime/archive.h"
#include "tests/support/process.h"
#include "tools/datagen/pak.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string writeArchive(const fs::path& path, const std::vector<PakFile>& files)
{
    std::string error;
    EXPECT_TRUE(writeFileAtomically(path.string(), buildZip(files), error)) << error;
    return path.string();
}

// The built data.pak's entries, with `damaged` holding bytes no decoder takes.
std::vector<PakFile> builtArchiveWithDamaged(const std::string& damaged)
{
    using namespace VELMORA_PELAGOR;
    std::string error;
    EXPECT_TRUE(openArchive(ORV_BINARY_DIR "/data.pak", error)) << error;
    std::vector<PakFile> files;
    for (const std::string& name : listArchive()) {
        PakFile file{name, {}};
        std::string why;
        EXPECT_EQ(readArchiveEntry(name.c_str(), file.bytes, why), ArchiveRead::Ok) << name << ": " << why;
        if (name == damaged)
            file.bytes.assign(64, 0x5a);
        files.push_back(std::move(file));
    }
    closeArchive();
    return files;
}

bool holdsAnyFile(const fs::path& folder)
{
    return fs::exists(folder) && fs::directory_iterator(folder) != fs::directory_iterator();
}

TEST(ArchiveContents, AZipWithoutTheShowsFilesIsRefusedWithTheMissingNames)
{
    const fs::path folder = freshFolder("foreign-archive");
    const std::string archive = writeArchive(folder / "foreign.pak", {{"readme.txt", {'h', 'i', '\n'}}});
    const ProgramResult run = runProgram({builtProgram("orvalune-capture"), "--at", "0", "--seek", "--size", "64x48",
                                          "--archive", archive, "--out", (folder / "frames").string()},
                                         ORV_BINARY_DIR, 120.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("foreign.pak\" lacks"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("fisu.t3d"), std::string::npos) << run.output;
    EXPECT_FALSE(holdsAnyFile(folder / "frames"));
    fs::remove_all(folder);
}

TEST(ArchiveContents, ACaptureDrawnWithADamagedPictureFailsAndKeepsNoFrame)
{
    const fs::path folder = freshFolder("damaged-picture");
    const std::string archive = writeArchive(folder / "data.pak", builtArchiveWithDamaged("circle.jpg"));
    const ProgramResult run = runProgram({builtProgram("orvalune-capture"), "--at", "0", "--seek", "--size", "64x48",
                                          "--archive", archive, "--out", (folder / "frames").string()},
                                         ORV_BINARY_DIR, 120.0, 0.0, false);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("cannot be drawn as the show draws it: dmsGetTexture: \"circle.jpg\""),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(holdsAnyFile(folder / "frames"));
    fs::remove_all(folder);
}

} // namespace
