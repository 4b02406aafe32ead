// The export's file copy: the size limit, overwrite, permissions, and every file-system error
// caught and logged.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "CFileFunc.h"
#include "HostFixture.h"

using brelta::test::HostFixture;

namespace {
// Whether chmod fails, to reach the permissions failure even as root.
bool g_refuseChmod = false;
}  // namespace

// Interposes the C library's chmod for the whole test binary; the file-system library calls it
// to set the permissions of the copy.
extern "C" int chmod(const char* path, mode_t mode) noexcept {
    if (g_refuseChmod) {
        errno = EPERM;
        return -1;
    }
    using Chmod = int (*)(const char*, mode_t);
    static Chmod real = reinterpret_cast<Chmod>(dlsym(RTLD_NEXT, "chmod"));
    return real(path, mode);
}

namespace {

class CFileFuncTest : public HostFixture {
protected:
    void TearDown() override {
        g_refuseChmod = false;
        HostFixture::TearDown();
    }
    std::string Path(const std::string& relative) const { return *root / relative; }
    // Copies src/cap.pcap into dst: the arguments as the capture export passes them.
    bool Copy(const std::string& dst) {
        return CFileFunc::copyFile(Path("src/"), dst, "/cap.pcap");
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
    // The slash of the directory and the one of the name are both kept.
    EXPECT_EQ(SystemLog().Count("Source File =[" + Path("src/") + "/cap.pcap]. "), 1u);

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
    EXPECT_EQ(SystemLog().Count("Directory Not Created = " + Path("usb")), 0u)
        << "the existing directory is made again";
    struct stat st;
    ASSERT_EQ(stat(Path("usb/cap.pcap").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0777u);
}

TEST_F(CFileFuncTest, ADestinationThatCannotHoldTheFileFailsTheCopy) {
    root->Write("src/cap.pcap", "capture");
    root->Write("plain", "not a directory");
    root->Write("usb/cap.pcap/.keep", "");  // a directory standing at the file's name
    // An ordinary file where the directory should be; a missing parent; the empty path of an
    // unreadable device list.
    for (const std::string& dst : {Path("plain"), Path("usb"), Path("gone/usb"), std::string()}) {
        size_t before = ErrorLines();
        EXPECT_FALSE(Copy(dst)) << dst;
        EXPECT_EQ(ErrorLines(), before + 1) << dst;
    }
    EXPECT_EQ(root->Read("plain"), "not a directory");
    EXPECT_FALSE(root->Exists("gone"));
}

TEST_F(CFileFuncTest, AMissingSourceIsAnErrorAndCopiesNothing) {
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_FALSE(root->Exists("usb/cap.pcap"));
    auto texts = SystemTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().rfind("Error::[", 0), 0u) << texts.back();
    EXPECT_NE(texts.back().find("cap.pcap"), std::string::npos) << texts.back();
}

TEST_F(CFileFuncTest, RefusedPermissionsFailTheCopyThoughTheFileIsInPlace) {
    root->Write("src/cap.pcap", "capture");
    g_refuseChmod = true;
    EXPECT_FALSE(Copy(Path("usb")));
    EXPECT_EQ(root->Read("usb/cap.pcap"), "capture");
    EXPECT_EQ(ErrorLines(), 1u);
}

}  // namespace
