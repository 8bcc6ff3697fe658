#include "setup/AtomicFile.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
  protected:
    static std::string Contents(const fs::path& path) { return FileBytes(path); }
    static void Put(const fs::path& path, const std::string& bytes) { WriteFileBytes(path, bytes); }
    std::size_t EntriesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
    }

    ScratchFolder scratch;
    const fs::path& dir = scratch.Path();
};

TEST_F(AtomicFileTest, Replace_OldFileGetsTheNewBytesAndKeepsItsPermissions) {
    const fs::path file = dir / "setup.ini";
    Put(file, "NumberOfPorts=3\n");
    ::chmod(file.c_str(), 0640);
    std::string error;

    ASSERT_TRUE(AtomicFile::Replace(file, "NumberOfPorts=0\n", error)) << error;

    EXPECT_EQ(Contents(file), "NumberOfPorts=0\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, RemoveStale_TakesOnlyOldTemporariesOfThisFile) {
    const fs::path file = dir / "out.ini";
    Put(file, "kept\n");
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const char* name : {"out.ini.Ab12Cd", "out.ini.xY34zZ", "other.ini.Ab12Cd",
                             "out.ini.Ab12C", "out.ini.young1"}) {
        Put(dir / name, "x");
        if (std::string(name) != "out.ini.young1") {
            fs::last_write_time(dir / name, old);
        }
    }

    std::vector<std::string> removed = AtomicFile::RemoveStale(file);

    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{(dir / "out.ini.Ab12Cd").string(),
                                                 (dir / "out.ini.xY34zZ").string()}));
    EXPECT_EQ(EntriesInDir(), 4u);
    EXPECT_TRUE(fs::exists(dir / "out.ini.young1"));
}

TEST_F(AtomicFileTest, Replace_NewFileIsCreated) {
    const fs::path file = dir / "new.ini";
    std::string error;
    ASSERT_TRUE(AtomicFile::Replace(file, std::string("a=\0b\n", 5), error)) << error;
    EXPECT_EQ(Contents(file), std::string("a=\0b\n", 5));
}

TEST_F(AtomicFileTest, Replace_SymbolicLinkStaysAndItsTargetChanges) {
    const fs::path target = dir / "real.ini";
    const fs::path link = dir / "link.ini";
    Put(target, "old\n");
    fs::create_symlink(target, link);
    std::string error;

    ASSERT_TRUE(AtomicFile::Replace(link, "new\n", error)) << error;

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), "new\n");
}

TEST_F(AtomicFileTest, Replace_FailureLeavesTheOldOneAndNoTemporaryFile) {
    const fs::path inTheWay = dir / "setup.ini";
    fs::create_directory(inTheWay);
    Put(inTheWay / "keep", "x");
    std::string error;

    EXPECT_FALSE(AtomicFile::Replace(inTheWay, "NumberOfPorts=0\n", error));

    EXPECT_EQ(error.rfind("Can't save \"" + inTheWay.string() +
                              "\": can't rename the temporary file over it (",
                          0),
              0u)
        << error;
    EXPECT_NE(error.find("); the old file is unchanged"), std::string::npos);
    EXPECT_EQ(Contents(inTheWay / "keep"), "x");
    EXPECT_EQ(EntriesInDir(), 1u);
}

TEST_F(AtomicFileTest, Replace_MissingFolderSaysSo) {
    std::string error;
    EXPECT_FALSE(AtomicFile::Replace((dir / "no" / "x.ini").string(), "a=1\n", error));
    EXPECT_EQ(error, "Can't save \"" + (dir / "no" / "x.ini").string() +
                         "\": can't create a temporary file beside it (No such file or "
                         "directory); the old file is unchanged");
}

} // namespace
