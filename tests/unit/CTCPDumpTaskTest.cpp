// A capture started and stopped in one process. A run of the tool never gets here: its stop
// comes in a process of its own, which has no handle to stop the capture with. So the stop
// itself, the export to USB storage and the toasts of both are shown here.
#include <gtest/gtest.h>

#include <ostra_network.h>

#include <string>
#include <vector>

#include "CTCPDumpTask.h"
#include "CTaskManager.h"
#include "HostFixture.h"
#include "TCPDumpHandler.h"
#include "UIToast.h"

using brelta::test::HostFixture;
using Lines = std::vector<std::string>;

namespace {

const char kCapture[] = "opt/usr/data/network/tcpdump-[time].pcap";
const char kExported[] = "media/usb0/tcpdump-[time].pcap";
const std::string kOlder = "an older capture, longer than the new one";
// An empty capture: microsecond pcap 2.4, snapshot length 262144, Ethernet.
const std::string kEmptyPcap(
    "\xd4\xc3\xb2\xa1\x02\x00\x04\x00\0\0\0\0\0\0\0\0\0\0\x04\x00\x01\0\0\0", 24);
const std::string kStarted =
    "post 1 TCP Dump tool|tcp dump and ts dump start successfully [OK*] 60";
const std::string kStopped = "post 2 TCP Dump tool|tcp dump and ts dump stop successfully [OK*] 60";
const std::string kNotStopped = "post 2 TCP Dump tool|tcp dump failed to stop [OK*] 60";

class CTCPDumpTaskTest : public HostFixture {
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
    // The handle is process-wide: what one row left must not reach the next.
    static void ReleaseHandle() {
        if (m_pConHandler != nullptr) connection_destroy(m_pConHandler);
        m_pConHandler = nullptr;
    }
    CTaskManager manager{nullptr};
    CTCPDumpTask task{manager};
};

TEST_F(CTCPDumpTaskTest, AStopInTheStartingProcessExportsOrSaysWhyNot) {
    const std::string pcapOver1MiB = kEmptyPcap.substr(0, 4) + std::string(1048573, 'p');
    struct Row {
        const char* fault;    // "<function> <script>", or ""
        std::string capture;  // written over the capture while it runs, "" for none
        Lines toasts;         // of the stop
        const char* outcome;  // the capture, the older copy on the stick, the handle
        bool scan = false;    // a channel scan begins between start and stop
    } rows[] = {
        // Anything not a pcap is made an empty capture, which is exported.
        {"", "not a pcap", {kStopped}, "stopped, copy replaced, handle kept"},
        // A pcap of 1 MiB and a byte is left as it is by the platform and refused by the export.
        {"", pcapOver1MiB, {kStopped}, "stopped, copy left, handle kept"},
        // The stop's toast is dropped for the handler's, which then takes the stop's text.
        {"usb_get_connected_device_number 0",
         "",
         {"delete_all []", "post 2 Dump file not copied|USB not attached, try again [Cancel*] 60",
          "post 2 TCP Dump tool|tcp dump and ts dump stop successfully [Cancel*] 60"},
         "stopped, copy left, handle kept"},
        // The scan refuses the handler's toast too, and nothing is left to take the stop's text.
        {"usb_get_connected_device_number 0",
         "",
         {"delete_all []", "delete_all []"},
         "stopped, copy left, handle kept",
         true},
        {"connection_profile_get_tcpdump_state -5",
         "",
         {kNotStopped},
         "running, copy left, handle released"},
        {"connection_profile_stop_tcpdump -1",
         "",
         {kNotStopped},
         "running, copy left, handle kept"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        TearDown();
        SetUp();
        root->Write("usb/devices", *root / "media/usb0\tA\n");
        root->Write(kExported, kOlder);
        std::string fault = row.fault;
        if (!fault.empty())
            root->Fault(fault.substr(0, fault.find(' ')), fault.substr(fault.find(' ')));
        task.Execute("brelta.keycombination.tcpdumpstart", "");
        if (!row.capture.empty()) root->Write(kCapture, row.capture);
        if (row.scan)
            root->SetSetting("memory/channel-search/channel-search-activate", "bool", "1");
        task.Execute("brelta.keycombination.tcpdumpstop", "");
        Lines toasts = {kStarted, "delete_all [1]"};
        toasts.insert(toasts.end(), row.toasts.begin(), row.toasts.end());
        EXPECT_EQ(Journal(), toasts);
        std::string copy = root->Read(kExported);
        EXPECT_EQ(root->Read("network/tcpdump") + ", copy " +
                      (copy == kEmptyPcap ? "replaced"
                       : copy == kOlder   ? "left"
                                          : "spoiled") +
                      ", handle " + (m_pConHandler != nullptr ? "kept" : "released"),
                  row.outcome);
        // Cleared whatever the outcome, so that the next start is not refused.
        EXPECT_EQ(root->Read("settings/memory/Brelta/tcpdump_running_status") +
                      root->Read("settings/memory/menu/network/screenmirroring/capture_tsdump"),
                  "int 0\nint 0\n");
    }
}

}  // namespace
