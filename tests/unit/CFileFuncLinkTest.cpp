// Links around the export: the copy writes and chmods only a file of its own, whatever stands
// at the destination's name or is swapped in while it copies.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <boost/filesystem.hpp>
#include <thread>

#include "CFileFunc.h"
#include "HostFixture.h"

namespace fs = boost::filesystem;
using brelta::test::HostFixture;

namespace {

class CFileFuncLinkTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        root->Write("capture/f.pcap", "capture");
        root->Write("usb/.keep", "");
        root->Write("outside/victim", "untouched");
        fs::permissions(*root / "outside/victim", fs::perms::owner_read | fs::perms::owner_write);
    }
    bool Copy() { return CFileFunc::copyFile(*root / "capture", *root / "usb", "/f.pcap"); }
    void ExpectVictimUntouched(const std::string& what) {
        EXPECT_EQ(root->Read("outside/victim"), "untouched") << what;
        EXPECT_EQ(static_cast<int>(fs::status(*root / "outside/victim").permissions()), 0600)
            << what;
    }
};

TEST_F(CFileFuncLinkTest, ALinkAtTheDestinationsNameIsReplacedNotFollowed) {
    const std::string victim = *root / "outside/victim", name = *root / "usb/f.pcap";
    const struct {
        const char* what;
        int (*make)(const char*, const char*);
        std::string target;
    } links[] = {{"symbolic", symlink, victim},
                 {"dangling", symlink, *root / "outside/not-yet"},
                 {"hard", link, victim}};
    for (const auto& l : links) {
        unlink(name.c_str());
        ASSERT_EQ(l.make(l.target.c_str(), name.c_str()), 0) << l.what;
        EXPECT_TRUE(Copy()) << l.what;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name))) << l.what;
        EXPECT_EQ(root->Read("usb/f.pcap"), "capture") << l.what;
        EXPECT_EQ(static_cast<int>(fs::status(name).permissions()), 0777) << l.what;
        ExpectVictimUntouched(l.what);
    }
    EXPECT_FALSE(root->Exists("outside/not-yet"));
}

TEST_F(CFileFuncLinkTest, LinksSwappedInWhileItCopiesAreNeverWrittenThrough) {
    // Another writer of the device's directory keeps turning every name in it into a link to
    // the victim, symbolic and hard by turns: the destination and anything the copy makes.
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        const std::string dir = *root / "usb", victim = *root / "outside/victim";
        const std::string spare = dir + "/.spare";
        for (unsigned turn = 0; !stop; ++turn) {
            DIR* d = opendir(dir.c_str());
            while (struct dirent* entry = readdir(d)) {
                std::string name = entry->d_name;
                if (name == "." || name == ".." || name == ".spare") continue;
                unlink(spare.c_str());
                if ((turn % 2 == 0 ? symlink : link)(victim.c_str(), spare.c_str()) == 0)
                    rename(spare.c_str(), (dir + "/" + name).c_str());
            }
            closedir(d);
        }
    });
    for (int i = 0; i < 300; ++i) Copy();
    stop = true;
    swapper.join();
    ExpectVictimUntouched("after 300 raced copies");
}

TEST_F(CFileFuncLinkTest, ALinkedSourceOrMountPathIsFollowed) {
    // The capture file as a link: its target's content is exported, under the link's name.
    fs::create_symlink(*root / "capture/f.pcap", *root / "capture/link.pcap");
    // The mount path as a link to the device's real directory.
    fs::create_symlink(*root / "usb", *root / "mnt");
    EXPECT_TRUE(CFileFunc::copyFile(*root / "capture", *root / "mnt", "/link.pcap"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(*root / "usb/link.pcap")));
    EXPECT_EQ(root->Read("usb/link.pcap"), "capture");
}

}  // namespace
