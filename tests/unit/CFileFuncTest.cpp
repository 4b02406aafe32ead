// The export's file copy: the size limit, overwrite, permissions, and every file-system error
// caught and logged.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "CFileFunc.h"
#include "HostFixture.h"

using brelta::test::HostFixture;

namespace {
// The one path whose chmod fails, to reach the permissions failure even when the tests run as
// root (who may change the mode of any file).
std::string g_refuseChmodOf;
}  // namespace

// Interposes the C library's chmod for the whole test binary; the file-system library calls it
// to set the permissions of the copy.
extern "C" int chmod(const char* path, mode_t mode) noexcept {
    if (!g_refuseChmodOf.empty() && g_refuseChmodOf == path) {
        errno = EPERM;
        return -1;
    }
    using Chmod = int (*)(const char*, mode_t);
    static Chmod real = reinterpret_cast<Chmod>(dlsym(RTLD_NEXT, "chmod"));
    return real(path, mode);
}

namespace {

using Texts = std::vector<std::string>;

class CFileFuncTest : public HostFixture {
protected:
    void TearDown() override {
        g_refuseChmodOf.clear();
        HostFixture::TearDown();
    }
    std::string Path(const std::string& relative) const { return *root / relative; }
    // Copies src/<name> into dst: the arguments as the capture export passes them.
    bool Copy(const std::string& dst, const std::string& name = "/cap.pcap") {
        return CFileFunc::copyFile(Path("src/"), dst, name);
    }
    mode_t Mode(const std::string& relative) const {
        struct stat st;
        return stat(Path(relative).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    }
    size_t ErrorLines() const {
        size_t n = 0;
        for (const std::string& text : SystemTexts()) n += text.rfind("Error::[", 0) == 0;
        return n;
    }
};

TEST_F(CFileFuncTest, AFileOfExactlyOneMebibyteIsCopiedOneByteMoreIsRefused) {
    const std::string limit(1048576, 'a');
    root->Write("src/cap.pcap", limit);
    ASSERT_TRUE(Copy(Path("usb")));
    EXPECT_EQ(root->Read("usb/cap.pcap"), limit);
    const std::string src = Path("src/"), dst = Path("usb");
    EXPECT_EQ(SystemTexts(),
              (Texts{"", "Directory Created = " + dst, "Source directory =[" + src + "]. ",
                     "destination directory =[" + dst + "]. ",
                     // the slash of the directory and the one of the name are both kept
                     "Source File =[" + src + "/cap.pcap]. ",
                     "destination File =[" + dst + "/cap.pcap]. ", "", ""}));
    EXPECT_EQ(SystemLog().ByFunction("is_certicate_allowed_size").size(), 2u);

    root->Write("src/cap.pcap", limit + "b");
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_EQ(root->Read("usb/cap.pcap"), limit) << "the refused file must not be copied";
    EXPECT_EQ(SystemTexts().back(), "Error: Certificate file is greater than 1 MB");
}

TEST_F(CFileFuncTest, AnExistingCopyIsReplacedAndOpenedToEveryone) {
    root->Write("src/cap.pcap", "new");
    ASSERT_EQ(::chmod(Path("src/cap.pcap").c_str(), 0600), 0);
    root->Write("usb/cap.pcap", "an older and longer capture");
    ASSERT_EQ(::chmod(Path("usb/cap.pcap").c_str(), 0400), 0);
    mode_t mask = umask(077);
    bool copied = Copy(Path("usb"));
    umask(mask);
    ASSERT_TRUE(copied);
    EXPECT_EQ(root->Read("usb/cap.pcap"), "new");
    EXPECT_EQ(Mode("usb/cap.pcap"), 0777u);
    EXPECT_EQ(SystemLog().Count("Directory Created = " + Path("usb")), 0u);
}

TEST_F(CFileFuncTest, ADestinationThatCannotHoldTheFileFailsTheCopy) {
    root->Write("src/cap.pcap", "capture");

    // An ordinary file where the directory should be: it "exists", so no directory is made,
    // and the copy into it fails.
    root->Write("plain", "not a directory");
    EXPECT_TRUE(CFileFunc::createDir(Path("plain")));
    EXPECT_EQ(SystemTexts(), Texts{""});
    EXPECT_FALSE(Copy(Path("plain")));
    EXPECT_EQ(ErrorLines(), 1u);
    EXPECT_EQ(root->Read("plain"), "not a directory");

    // A directory standing at the file's name: the copy itself fails.
    EXPECT_TRUE(CFileFunc::createDir(Path("usb")));
    EXPECT_TRUE(CFileFunc::createDir(Path("usb/cap.pcap")));
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_EQ(ErrorLines(), 2u);

    // Missing parent, and the empty path of an unreadable device list: not creatable.
    EXPECT_FALSE(CFileFunc::createDir(Path("gone/usb")));
    EXPECT_FALSE(Copy(Path("gone/usb")));
    EXPECT_FALSE(root->Exists("gone"));
    EXPECT_FALSE(Copy(""));
    EXPECT_EQ(ErrorLines(), 5u);
    // createDir failed, so the copy stopped before logging its paths.
    EXPECT_EQ(SystemLog().Count("Source directory =[" + Path("src/") + "]. "), 2u);
}

TEST_F(CFileFuncTest, AMissingSourceIsAnErrorAndCopiesNothing) {
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_TRUE(root->Exists("usb")) << "the destination directory is made first";
    EXPECT_FALSE(root->Exists("usb/cap.pcap"));
    auto texts = SystemTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().rfind("Error::[", 0), 0u) << texts.back();
    EXPECT_NE(texts.back().find("cap.pcap"), std::string::npos) << texts.back();
    // The size check wrote its entry trace and failed before the second.
    EXPECT_EQ(SystemLog().ByFunction("is_certicate_allowed_size").size(), 1u);
}

TEST_F(CFileFuncTest, RefusedPermissionsFailTheCopyThoughTheFileIsInPlace) {
    root->Write("src/cap.pcap", "capture");
    g_refuseChmodOf = Path("usb") + "/cap.pcap";
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_EQ(root->Read("usb/cap.pcap"), "capture");
    EXPECT_EQ(ErrorLines(), 1u);
}

}  // namespace
