// The capture task in one process: a start and a stop run by the same task, and the task's
// handling of a settings store that fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Keys.h"
#include "CTCPDumpTask.h"
#include "CTaskManager.h"
#include "HostFixture.h"
#include "NotificationJournal.h"
#include "TCPDumpHandler.h"
#include "ToastPosts.h"
#include "UIToast.h"

using brelta::test::HostFixture;
using brelta::test::kRunning;
using brelta::test::kStart;
using brelta::test::kStop;
using brelta::test::kTSDump;
using brelta::test::NotificationJournal;
using brelta::test::Toast;
using brelta::test::ToastPost;
using brelta::test::ToastPosts;

namespace {

class CTCPDumpTaskTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        m_pConHandler = nullptr;
    }
    void TearDown() override {
        GetUIToastInstance()->Destroy();
        if (m_pConHandler != nullptr) connection_destroy(m_pConHandler);
        m_pConHandler = nullptr;
        HostFixture::TearDown();
    }
    void ExpectKeys(const char* value) {
        EXPECT_EQ(root->Setting(kRunning), value);
        EXPECT_EQ(root->Setting(kTSDump), value);
    }
    std::vector<ToastPost> Toasts() const { return ToastPosts(NotificationJournal::Load(*root)); }
    CTaskManager manager{nullptr};
    CTCPDumpTask task{manager};
};

TEST_F(CTCPDumpTaskTest, AStopWithoutUsbPutsItsTextOnTheHandlersToast) {
    task.Execute(kStart, "");
    ExpectKeys("int 1\n");
    task.Execute(kStop, "");
    ExpectKeys("int 0\n");
    EXPECT_EQ(root->Read("network/tcpdump"), "stopped");
    auto posts = Toasts();
    ASSERT_EQ(posts.size(), 3u);
    // The stop's "OK" toast is dropped by the handler's, and the stop's text then goes onto
    // that same notification, which keeps its "Cancel" button.
    EXPECT_NE(posts[1].id, posts[0].id);
    EXPECT_EQ(posts[1],
              Toast(posts[1].id, "Dump file not copied", "USB not attached, try again", "Cancel"));
    EXPECT_EQ(posts[2], Toast(posts[1].id, "TCP Dump tool",
                              "tcp dump and ts dump stop successfully", "Cancel"));
}

TEST_F(CTCPDumpTaskTest, AFailedStopIsReportedAndStillClearsBothKeys) {
    // The keys are cleared all the same so that the next start is not refused.
    root->Fault("connection_profile_get_tcpdump_state", "-5");
    ReloadFaults();
    task.Execute(kStart, "");
    task.Execute(kStop, "");
    EXPECT_EQ(root->Read("network/tcpdump"), "running");
    ExpectKeys("int 0\n");
    auto posts = Toasts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1], Toast(posts[1].id, "TCP Dump tool", "tcp dump failed to stop", "OK"));
}

TEST_F(CTCPDumpTaskTest, FailedSettingsCallsAreLoggedAndTheStepsGoOn) {
    root->SetSetting(kRunning, "int", "1");
    root->Fault("vconf_get_int", "-1");
    root->Fault("vconf_set_int", "-1 -1");
    ReloadFaults();
    // An unreadable running status counts as not running, so the capture is started.
    task.Execute(kStart, "");
    EXPECT_EQ(root->Read("network/tcpdump"), "running");
    EXPECT_EQ(root->Setting(kRunning), "int 1\n") << "the write failed";
    EXPECT_EQ(Toasts().back().content, "tcp dump and ts dump start successfully");

    root->Fault("vconf_set_int", "-1 -1");
    ReloadFaults();
    task.Execute(kStop, "");
    EXPECT_EQ(root->Read("network/tcpdump"), "stopped");
    EXPECT_EQ(Toasts().back().content, "tcp dump and ts dump stop successfully");
    auto log = SystemLog();
    for (const char* text : {"failed to get tcp dump status", "Failed to enable vconf for TS dump",
                             "Failed to disable vconf for TS dump"})
        EXPECT_EQ(log.Count(text), 1u) << text;
}

}  // namespace
