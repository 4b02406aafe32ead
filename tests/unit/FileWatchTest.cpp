// The one inotify instance of a process: shared by every watched directory, and renewed in a
// forked child, so that parent and child each see every change.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <set>

#include "base/FileWatch.h"
#include "HostFixture.h"

namespace fs = boost::filesystem;
using brelta::host::FileWatch;
using brelta::test::HostFixture;

namespace {

class FileWatchTest : public HostFixture {
protected:
    static void Collect(const std::vector<FileWatch::Event>& events, void* names) {
        for (const auto& event : events)
            static_cast<std::set<std::string>*>(names)->insert(event.name);
    }
    bool SeeAll(const std::set<std::string>& names, size_t count) {
        return RunLoopUntil([&] { return names.size() >= count; }, 10);
    }
    static int InotifyInstances() {
        int count = 0;
        boost::system::error_code error;  // the iterator's own descriptor is gone when read
        for (const auto& fd : fs::directory_iterator("/proc/self/fd"))
            count += fs::read_symlink(fd.path(), error) == "anon_inode:inotify";
        return count;
    }
};

TEST_F(FileWatchTest, ManyDirectoriesShareOneInstance) {
    std::set<std::string> names;
    std::vector<unsigned> ids;
    for (int i = 0; i < 150; ++i) {  // more than a user's default 128 instances
        root->Write("d" + std::to_string(i) + "/.keep", "");
        ids.push_back(
            FileWatch::Add(*root / ("d" + std::to_string(i)), IN_CLOSE_WRITE, Collect, &names));
        ASSERT_NE(ids.back(), 0u) << i;
    }
    EXPECT_EQ(InotifyInstances(), 1);
    root->Write("d149/last", "x");
    EXPECT_TRUE(SeeAll(names, 1));
    EXPECT_EQ(names, std::set<std::string>{"last"});
    for (unsigned id : ids) FileWatch::Remove(id);
}

TEST_F(FileWatchTest, AForkedChildAndItsParentEachSeeEveryChange) {
    const size_t kFiles = 20;
    std::set<std::string> names;
    unsigned id = FileWatch::Add(root->Path(), IN_CLOSE_WRITE, Collect, &names);
    ASSERT_NE(id, 0u);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (write(ready[1], "r", 1) != 1) _exit(2);
        _exit(SeeAll(names, kFiles) && names.size() == kFiles ? 0 : 1);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    for (size_t i = 0; i < kFiles; ++i) root->Write("f" + std::to_string(i), "x");
    EXPECT_TRUE(SeeAll(names, kFiles));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child missed changes";
    EXPECT_EQ(names.size(), kFiles);
    FileWatch::Remove(id);
    close(ready[0]);
    close(ready[1]);
}

}  // namespace
