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
using brelta::test::ToastPost;
using brelta::test::ToastPosts;

namespace {

using Texts = std::vector<std::string>;
using Posts = std::vector<ToastPost>;

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
    Posts Toasts() const { return ToastPosts(NotificationJournal::Load(*root)); }
};

TEST_F(TCPDumpHandlerTest, StartThenStopExportsTheCaptureToTheFirstDevice) {
    AttachUsb0();
    root->Write(kExported, "an older capture, longer than the new one");
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    ASSERT_NE(m_pConHandler, nullptr);
    EXPECT_EQ(CaptureState(), "running");

    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_EQ(root->Read(kExported), PacketCapture::EmptyCapture());
    struct stat st;
    ASSERT_EQ(stat(Path(kExported).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0777u);
    EXPECT_FALSE(root->Exists("media/usb1/tcpdump-[time].pcap"));
    EXPECT_NE(m_pConHandler, nullptr) << "the handle lives on after a stop";
    EXPECT_TRUE(Toasts().empty());

    auto log = SystemLog();
    EXPECT_NE(log.Find("USBPath Found " + Path("media/usb0")), nullptr);
    EXPECT_NE(
        log.Find("Source File =[" + Path("opt/usr/data/network/") + "/tcpdump-[time].pcap]. "),
        nullptr);
    EXPECT_EQ(log.ByFunction("Start").size(), 3u);
}

TEST_F(TCPDumpHandlerTest, AFailedOrRefusedExportStillStopsAndSucceeds) {
    // Over the size limit: the capture is stopped, nothing reaches the device.
    AttachUsb0();
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    root->Write(kCapture, PacketCapture::EmptyCapture() + std::string(1048576 - 23, 'p'));
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_FALSE(root->Exists(kExported));
    EXPECT_EQ(SystemLog().Count("Error: Certificate file is greater than 1 MB"), 1u);

    // A device whose mount point cannot be made, and an unreadable device list (empty path).
    root->Write("usb/devices", Path("gone/usb9") + "\tStick\n");
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_FALSE(root->Exists("gone"));
    Script("usb_device_get_device_list", "-5");
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    auto log = SystemLog();
    EXPECT_NE(log.Find("USBPath Found "), nullptr);
    size_t errors = 0;
    for (const std::string& text : log.Texts()) errors += text.rfind("Error::[", 0) == 0;
    EXPECT_EQ(errors, 2u);
    EXPECT_TRUE(Toasts().empty());
}

TEST_F(TCPDumpHandlerTest, WithoutUsbStorageTheUserIsToldInAToast) {
    // A failed count is no storage either.
    root->Fault("usb_get_connected_device_number", "0 -19");
    ReloadFaults();
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(TCPDumpHandler::Start(), 0);
        EXPECT_EQ(TCPDumpHandler::Stop(), 0);
        EXPECT_EQ(CaptureState(), "stopped");
        Posts posts = Toasts();
        ASSERT_EQ(posts.size(), static_cast<size_t>(run));
        EXPECT_EQ(posts.back(), Toast(posts.back().id, "Dump file not copied",
                                      "USB not attached, try again", "Cancel"));
    }
    // During a channel scan the toast is refused; the stop still succeeds.
    root->SetSetting("memory/channel-search/channel-search-activate", "bool", "1");
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "stopped");
    EXPECT_EQ(Toasts().size(), 2u);
}

TEST_F(TCPDumpHandlerTest, StopWithoutAHandleTouchesNothing) {
    AttachUsb0();
    root->Write("network/tcpdump", "running");
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "running");
    EXPECT_FALSE(root->Exists(kCapture));
    EXPECT_TRUE(Toasts().empty());
    EXPECT_EQ(SystemTexts(), (Texts{"", ""})) << "not even the USB count is asked for";
}

TEST_F(TCPDumpHandlerTest, FailedStartsReturnThePlatformsResult) {
    // The first start fails at the handle, the second at the capture call.
    root->Fault("connection_create", "-12");
    Script("connection_profile_start_tcpdump", "-38");
    EXPECT_EQ(TCPDumpHandler::Start(), -12);
    EXPECT_EQ(m_pConHandler, nullptr);
    EXPECT_FALSE(root->Exists("network/tcpdump"));
    EXPECT_EQ(SystemTexts(), (Texts{"", "[Handle Creation Fail]", ""}));

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
    EXPECT_EQ(SystemLog().Count("Failed to stop tcpdump"), 1u);
    // With the handle gone, a second stop has nothing to work with.
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_EQ(CaptureState(), "running");
}

TEST_F(TCPDumpHandlerTest, ARefusedStopKeepsTheHandleAndCopiesNothing) {
    AttachUsb0();
    ASSERT_EQ(TCPDumpHandler::Start(), 0);
    Script("connection_profile_stop_tcpdump", "-1");
    EXPECT_EQ(TCPDumpHandler::Stop(), -1);
    EXPECT_NE(m_pConHandler, nullptr);
    EXPECT_EQ(CaptureState(), "running");
    EXPECT_FALSE(root->Exists(kExported));
    EXPECT_EQ(SystemLog().Count("Failed to stop tcpdump"), 1u);
    EXPECT_EQ(SystemLog().Count("No Of USB Devices Found = 2"), 0u);
    // Once the service accepts it, the same handle stops the capture and exports.
    EXPECT_EQ(TCPDumpHandler::Stop(), 0);
    EXPECT_TRUE(root->Exists(kExported));
}

}  // namespace
