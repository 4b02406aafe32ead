// The capture start and stop commands through the built tool: the keys they leave, the toasts
// they post, and what reaches the emulated capture and USB storage.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "LogRecords.h"
#include "NotificationJournal.h"
#include "TempDeviceRoot.h"
#include "ToastPosts.h"
#include "ToolRun.h"

using brelta::test::JournalEntry;
using brelta::test::LogRecords;
using brelta::test::NotificationJournal;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::Toast;
using brelta::test::ToastPost;
using brelta::test::ToastPosts;
using brelta::test::ToolRun;

namespace {

const char kStart[] = "brelta.keycombination.tcpdumpstart";
const char kStop[] = "brelta.keycombination.tcpdumpstop";
const char kRunning[] = "memory/Brelta/tcpdump_running_status";
const char kTSDump[] = "memory/menu/network/screenmirroring/capture_tsdump";
const char kTitle[] = "TCP Dump tool";

RunResult RunTool(const TempDeviceRoot& root, const char* id) {
    RunResult r = ToolRun(root).Run({id}, 30);
    EXPECT_TRUE(r.exited) << id;
    EXPECT_EQ(r.exitCode, 0) << id;
    // A whole-second timer: GLib may fire it up to a second early to batch wake-ups.
    EXPECT_GE(r.seconds, 4.0) << id << " ended before its exit delay";
    return r;
}

std::vector<ToastPost> Posts(const TempDeviceRoot& root, long pid) {
    std::vector<ToastPost> mine;
    for (const ToastPost& post : ToastPosts(NotificationJournal::Load(root)))
        if (post.pid == pid) mine.push_back(post);
    return mine;
}

// The run posted exactly one toast of the task, with this content; its id (0 when not).
long ExpectOnlyToast(const TempDeviceRoot& root, long pid, const std::string& content) {
    auto posts = Posts(root, pid);
    EXPECT_EQ(posts.size(), 1u) << content;
    if (posts.size() != 1) return 0;
    EXPECT_EQ(posts[0], Toast(posts[0].id, kTitle, content, "OK"));
    return posts[0].id;
}

// The ids that the process's exit removed from the screen.
std::vector<long> DeletedAtExit(const TempDeviceRoot& root, long pid) {
    NotificationJournal journal = NotificationJournal::Load(root);
    std::vector<long> ids;
    for (const JournalEntry& op : journal.Ops("delete_all"))
        if (op.Int("pid") == pid) ids = op.Ints("ids");
    return ids;
}

std::vector<std::string> Texts(const TempDeviceRoot& root, long pid) {
    return LogRecords::Load(root / "log/system").Texts(pid);
}

bool Logged(const TempDeviceRoot& root, long pid, const std::string& text) {
    return LogRecords::Load(root / "log/system").Find(text, pid) != nullptr;
}

TEST(TCPDumpCommand, StartThenStopInTwoRuns) {
    TempDeviceRoot root;
    root.Write("usb/devices", root / "media/usb0" + "\tStick\n");
    RunResult start = RunTool(root, kStart);
    EXPECT_EQ(root.Setting(kRunning), "int 1\n");
    EXPECT_EQ(root.Setting(kTSDump), "int 1\n");
    EXPECT_EQ(root.Read("network/tcpdump"), "running");
    long id = ExpectOnlyToast(root, start.pid, "tcp dump and ts dump start successfully");
    EXPECT_EQ(DeletedAtExit(root, start.pid), std::vector<long>{id})
        << "the toast goes with the process, long before its 60 s";
    auto texts = Texts(root, start.pid);
    const std::vector<std::string> steps = {"execute =>brelta.keycombination.tcpdumpstart",
                                            "StartTCPDump", "failed to get tcp dump status",
                                            "Enabled vconf for TS Dump"};
    EXPECT_NE(std::search(texts.begin(), texts.end(), steps.begin(), steps.end()), texts.end());

    // The stop runs in a process of its own: it holds no handle, so nothing is stopped or
    // exported, yet it reports success and clears both keys.
    RunResult stop = RunTool(root, kStop);
    EXPECT_EQ(root.Setting(kRunning), "int 0\n");
    EXPECT_EQ(root.Setting(kTSDump), "int 0\n");
    EXPECT_EQ(root.Read("network/tcpdump"), "running");
    EXPECT_FALSE(root.Exists("opt/usr/data/network/tcpdump-[time].pcap"));
    EXPECT_FALSE(root.Exists("media/usb0"));
    ExpectOnlyToast(root, stop.pid, "tcp dump and ts dump stop successfully");
    EXPECT_FALSE(Logged(root, stop.pid, "No Of USB Devices Found = 1"));
}

// One row of the start command's state table: the keys before, a scripted platform result,
// and what the run leaves. An empty key text means the key is missing.
struct StartRow {
    const char* name;
    const char* runningBefore;
    const char* tsDumpBefore;
    const char* fault;  // result of connection_profile_start_tcpdump, "" for none
    const char* runningAfter;
    const char* tsDumpAfter;
    const char* capture;  // network/tcpdump afterwards
    const char* toast;
};

void PrintTo(const StartRow& row, std::ostream* out) {
    *out << row.name;
}

class TCPDumpStart : public ::testing::TestWithParam<StartRow> {};

TEST_P(TCPDumpStart, LeavesTheKeysAndToastOfItsRow) {
    const StartRow& row = GetParam();
    TempDeviceRoot root;
    if (*row.runningBefore) root.SetSetting(kRunning, "int", row.runningBefore);
    if (*row.tsDumpBefore) root.SetSetting(kTSDump, "int", row.tsDumpBefore);
    if (*row.fault) root.Fault("connection_profile_start_tcpdump", row.fault);
    RunResult r = RunTool(root, kStart);
    auto setting = [](const char* value) {
        return *value ? "int " + std::string(value) + "\n" : std::string();
    };
    EXPECT_EQ(root.Setting(kRunning), setting(row.runningAfter));
    EXPECT_EQ(root.Setting(kTSDump), setting(row.tsDumpAfter));
    EXPECT_EQ(root.Read("network/tcpdump"), row.capture);
    ExpectOnlyToast(root, r.pid, row.toast);
    EXPECT_EQ(Logged(root, r.pid, "Failed to start tcpdump"), *row.fault != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TCPDumpStart,
    ::testing::Values(
        StartRow{"NothingRunning", "", "", "", "1", "1", "running",
                 "tcp dump and ts dump start successfully"},
        // Already running: nothing is attempted and neither key is written.
        StartRow{"Running", "-3", "7", "", "-3", "7", "", "tcpdump is already running"},
        // A failed start leaves the TS-dump key on until the next stop.
        StartRow{"Failed", "0", "", "-38", "0", "1", "", "tcp dump failed to start "}),
    [](const ::testing::TestParamInfo<StartRow>& info) { return info.param.name; });

TEST(TCPDumpCommand, RefusedToastsStillWriteTheKeys) {
    TempDeviceRoot root;
    root.SetSetting("memory/channel-search/channel-search-activate", "bool", "1");
    RunResult start = RunTool(root, kStart);
    EXPECT_EQ(root.Setting(kRunning), "int 1\n");
    EXPECT_EQ(root.Setting(kTSDump), "int 1\n");
    EXPECT_EQ(root.Read("network/tcpdump"), "running");
    EXPECT_TRUE(Posts(root, start.pid).empty());

    root.SetSetting("memory/channel-search/channel-search-activate", "bool", "0");
    root.SetSetting("memory/menu/support/softwareupdate/is_swu_in_monopoly_mode", "bool", "1");
    RunResult stop = RunTool(root, kStop);
    EXPECT_EQ(root.Setting(kRunning), "int 0\n");
    EXPECT_EQ(root.Setting(kTSDump), "int 0\n");
    EXPECT_TRUE(Posts(root, stop.pid).empty());
    LogRecords main = LogRecords::Load(root / "log/main");
    EXPECT_EQ(main.Count("During channel scan. Skip to launch Banner.", start.pid), 1u);
    EXPECT_EQ(main.Count("During SWU. Skip to launch Banner.", stop.pid), 1u);
}

TEST(TCPDumpCommand, PressingOkDuringTheExitDelayRemovesTheToast) {
    TempDeviceRoot root;
    ToolRun tool(root);
    pid_t pid = tool.Start({kStart});
    int id = NotificationJournal::WaitForPost(root, pid, 4.0);
    ASSERT_GT(id, 0);
    root.Write("notifications/input/" + std::to_string(id), "0\n");
    RunResult r = tool.Wait(30);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_GE(r.seconds, 4.0);
    NotificationJournal journal = NotificationJournal::Load(root);
    EXPECT_EQ(journal.Events(id), std::vector<int>{0});
    EXPECT_FALSE(root.Exists("notifications/input/" + std::to_string(id)));
    // The button's callback is empty: the press ends the toast and nothing else.
    EXPECT_EQ(Posts(root, pid).size(), 1u);
    EXPECT_EQ(root.Setting(kRunning), "int 1\n");
    LogRecords main = LogRecords::Load(root / "log/main");
    EXPECT_EQ(main.Count("Event 0 not registered", pid), 0u);
}

}  // namespace
