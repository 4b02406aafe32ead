// The guarded walk of FileUtil (the live capture's files): a link is followed only in a
// directory that nobody but this user (or root) may write. The cases hold it as root on a
// root of another user's; these rows hold its corners, which a device root rarely has.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TempDeviceRoot.h"
#include "base/FileUtil.h"

using brelta::host::FileUtil;
using brelta::test::TempDeviceRoot;

namespace {

class WalkGuardedTest : public ::testing::Test {
protected:
    void SetUp() override {
        root.Write("real/file", "x");
        root.Write("open/file", "y");
        chmod((root / "open").c_str(), 0777);  // others may write it: its links are refused
        const char* const links[][2] = {
            {"real", "l"},         {"l", "chain"},
            {"loop", "loop"},      {"made/here", "dangling"},
            {"../real", "open/l"}, {"../real/file", "open/lf"},
            {"file", "real/lf"},
        };
        for (const auto& l : links) ASSERT_EQ(symlink(l[0], (root / l[1]).c_str()), 0) << l[1];
        ASSERT_EQ(symlink((root / "real").c_str(), (root / "abs").c_str()), 0);
    }
    // errno of opening `path` (relative to the root, or from its working directory), 0 when
    // it opened.
    static int Error(int fd) {
        int error = fd >= 0 ? 0 : errno;
        if (fd >= 0) close(fd);
        return error;
    }

    TempDeviceRoot root;
};

TEST_F(WalkGuardedTest, LinksAreFollowedOnlyWhereOnlyThisUserMayWrite) {
    const struct {
        const char* path;
        int flags;
        int error;
    } rows[] = {
        {"l/file", O_RDONLY, 0},      // relative target
        {"abs/file", O_RDONLY, 0},    // absolute target
        {"chain/file", O_RDONLY, 0},  // a link to a link
        {"l/../real/file", O_RDONLY, 0},
        {"real/lf", O_RDONLY, 0},          // a link at the last name, in a trusted directory
        {"open/file", O_RDONLY, 0},        // no link: the open directory's file is read
        {"open/l/file", O_RDONLY, ELOOP},  // a link in a directory others may write
        {"open/lf", O_RDONLY, ELOOP},      // ... at the last name
        {"loop/file", O_RDONLY, ELOOP},    // 40 links at the most
        {"nothing/file", O_RDONLY, ENOENT},
        {"real/file/x", O_RDONLY, ENOTDIR},
        {"dangling/new", O_WRONLY | O_CREAT, 0},  // made through a trusted dangling link
        {"open/l/new", O_WRONLY | O_CREAT, ELOOP},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Error(FileUtil::OpenGuarded(root / row.path, row.flags)), row.error) << row.path;
    EXPECT_TRUE(root.Exists("made/here/new"));
    EXPECT_FALSE(root.Exists("real/new"));
    // OpenAt never follows a link at the name, whoever made it.
    int dir = FileUtil::OpenDirGuarded(root / "real", false);
    EXPECT_EQ(Error(FileUtil::OpenAt(dir, "lf", O_RDONLY)), ELOOP);
    close(dir);
    // A relative path is walked from the working directory.
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(root.Path().c_str()), 0);
    EXPECT_EQ(Error(FileUtil::OpenGuarded("chain/file", O_RDONLY)), 0);
    EXPECT_EQ(Error(FileUtil::OpenGuarded("open/l/file", O_RDONLY)), ELOOP);
    ASSERT_EQ(chdir(here), 0);
}

TEST_F(WalkGuardedTest, AWriteReplacesALinkAtTheNameAndMakesNothingThroughOne) {
    EXPECT_TRUE(FileUtil::WriteAtomicallyGuarded(root / "open/lf", "written"));
    EXPECT_EQ(root.Read("real/file"), "x");
    EXPECT_EQ(root.Read("open/lf"), "written");
    EXPECT_FALSE(FileUtil::WriteAtomicallyGuarded(root / "open/l/new/file", "z"));
    EXPECT_EQ(errno, ELOOP);
    EXPECT_FALSE(root.Exists("real/new"));
    EXPECT_TRUE(FileUtil::WriteAtomicallyGuarded(root / "a/b/c", "made"));
    EXPECT_EQ(root.Read("a/b/c"), "made");
}

}  // namespace
