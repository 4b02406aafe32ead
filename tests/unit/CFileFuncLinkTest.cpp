// Symbolic links around the export: the copy never writes outside the directory it was given.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include "CFileFunc.h"
#include "HostFixture.h"

namespace fs = boost::filesystem;
using brelta::test::HostFixture;

namespace {

class CFileFuncLinkTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        root->Write("capture/real.pcap", "capture");
        root->Write("usb/keep", "");
        root->Write("outside/victim", "untouched");
        fs::permissions(*root / "outside/victim", fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string Mode(const std::string& relative) {
        return std::to_string(static_cast<int>(fs::status(*root / relative).permissions()));
    }
};

TEST_F(CFileFuncLinkTest, ALinkAtTheDestinationsNameIsRefusedAndItsTargetLeftAlone) {
    for (const char* target : {"outside/victim", "outside/not-yet"}) {  // live and dangling
        fs::remove(*root / "usb/f.pcap");
        fs::create_symlink(*root / target, *root / "usb/f.pcap");
        root->Write("capture/f.pcap", "capture");
        EXPECT_FALSE(CFileFunc::copyFile(*root / "capture", *root / "usb", "/f.pcap")) << target;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(*root / "usb/f.pcap"))) << target;
    }
    EXPECT_EQ(root->Read("outside/victim"), "untouched");
    EXPECT_EQ(Mode("outside/victim"), std::to_string(0600));
    EXPECT_FALSE(root->Exists("outside/not-yet"));
    auto texts = SystemTexts();
    EXPECT_NE(std::find_if(texts.begin(), texts.end(),
                           [](const std::string& t) {
                               return t.rfind("Error::[", 0) == 0 &&
                                      t.find("symbolic link") != std::string::npos;
                           }),
              texts.end());
}

TEST_F(CFileFuncLinkTest, ALinkedSourceOrMountPathIsFollowed) {
    // The capture file as a link: its target's content is exported, under the link's name.
    fs::create_symlink(*root / "capture/real.pcap", *root / "capture/link.pcap");
    // The mount path as a link to the device's real directory.
    fs::create_symlink(*root / "usb", *root / "mnt");
    EXPECT_TRUE(CFileFunc::copyFile(*root / "capture", *root / "mnt", "/link.pcap"));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(*root / "usb/link.pcap")));
    EXPECT_EQ(root->Read("usb/link.pcap"), "capture");
    EXPECT_EQ(root->Read("capture/real.pcap"), "capture");
}

}  // namespace
