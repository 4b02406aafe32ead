// The capture handler in one process: start, stop and the export to USB storage, with every
// platform failure on the way.
#include <gtest/gtest.h>

#include <ostra_network.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "HostFixture.h"
#include "NotificationJournal.h"
#include "PacketCapture.h"
#include "TCPDumpHandler.h"
#include "ToastPosts.h"
#include "UIToast.h"

using brelta::host::PacketCapture;
using brelta::test::HostFixture;
using brelta::test::NotificationJournal;
using brelta::test::Toast;
using brelta::test::ToastPosts;

namespace {

const char kCapture[] = "opt/usr/data/network/tcpdump-[time].pcap";
const char kExported[] = "media/usb0/tcpdump-[time].pcap";

class TCPDumpHandlerTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        ReleaseHandle();
    }
    void TearDown() override {
        GetUIToastInstance()->Destroy();
        ReleaseHandle();
        HostFixture::TearDown();
    }
    // The handle is process-wide: what one test left must not reach the next.
    static void ReleaseHandle() {
        if (m_pConHandler != nullptr) connection_destroy(m_pConHandler);
        m_pConHandler = nullptr;
    }
    void AttachUsb0() {
        root->Write("usb/devices", Path("media/usb0") + "\tStick\n" + Path("media/usb1") + "\tB\n");
        root->Write("media/usb0/.keep", "");
        root->Write("media/usb1/.keep", "");
    }
    void Script(const std::string& function, const std::string& values) {
        root->Fault(function, values);
        ReloadFaults();
    }
    std::string Path(const std::string& relative) const { return *root / relative; }
    std::string CaptureState() const { return root->Read("network/tcpdump"); }
};

TEST_F(TCPDumpHandlerTest, StartThenStopExportsTheCaptureToTheFirstDevice) {
    AttachUsb0();
    root->Write(kExported, "an older capture, longer than the new one");
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    EXPECT_EQ(CaptureState(), "running");
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_EQ(root->Read(kExported), PacketCapture::EmptyCapture());
    struct stat st;
    ASSERT_EQ(stat(Path(kExported).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0777u);
    EXPECT_FALSE(root->Exists("media/usb1/tcpdump-[time].pcap"));
    EXPECT_TRUE(ToastPosts(NotificationJournal::Load(*root)).empty());
}

TEST_F(TCPDumpHandlerTest, AFailedOrRefusedExportStillStopsAndSucceeds) {
    AttachUsb0();
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    root->Write(kCapture, PacketCapture::EmptyCapture() + std::string(1048576 - 23, 'p'));
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_FALSE(root->Exists(kExported));
    EXPECT_EQ(SystemLog().Count("Error: Certificate file is greater than 1 MB"), 1u);
}

TEST_F(TCPDumpHandlerTest, WithoutUsbStorageTheUserIsToldInAToast) {
    Script("usb_get_connected_device_number", "-19");  // a failed count is no storage either
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    auto posts = ToastPosts(NotificationJournal::Load(*root));
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0],
              Toast(posts[0].id, "Dump file not copied", "USB not attached, try again", "Cancel"));
}

TEST_F(TCPDumpHandlerTest, FailedStartsReturnThePlatformsResult) {
    root->Fault("connection_create", "-12");
    Script("connection_profile_start_tcpdump", "-38");
    EXPECT_EQ(TCPDumpHandler::Start(), -12);
    EXPECT_EQ(m_pConHandler, nullptr);
    EXPECT_EQ(SystemLog().Count("[Handle Creation Fail]"), 1u);
    EXPECT_EQ(TCPDumpHandler::Start(), -38);
    EXPECT_NE(m_pConHandler, nullptr) << "the handle is kept";
    EXPECT_FALSE(root->Exists("network/tcpdump"));
    EXPECT_EQ(SystemLog().Count("Failed to start tcpdump"), 1u);
}

TEST_F(TCPDumpHandlerTest, AFailedStateQueryReleasesTheHandleAndStopsNothing) {
    AttachUsb0();
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    connection_h held = m_pConHandler;
    Script("connection_profile_get_tcpdump_state", "-5");
    EXPECT_EQ(TCPDumpHandler::Stop(), -5);
    EXPECT_EQ(m_pConHandler, nullptr);
    EXPECT_NE(connection_profile_start_tcpdump(held), 0) << "the handle was destroyed";
    EXPECT_EQ(CaptureState(), "running");
    EXPECT_FALSE(root->Exists(kExported));
    // With the handle gone, a second stop has nothing to work with.
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "running");
}

TEST_F(TCPDumpHandlerTest, ARefusedStopKeepsTheHandleAndCopiesNothing) {
    AttachUsb0();
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    Script("connection_profile_stop_tcpdump", "-1");
    EXPECT_EQ(TCPDumpHandler::Stop(), -1);
    EXPECT_EQ(CaptureState(), "running");
    EXPECT_FALSE(root->Exists(kExported));
    EXPECT_EQ(SystemLog().Count("Failed to stop tcpdump"), 1u);
    // Once the service accepts it, the same handle stops the capture and exports.
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_TRUE(root->Exists(kExported));
}

}  // namespace
