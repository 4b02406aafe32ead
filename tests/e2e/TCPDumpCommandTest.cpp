// The capture start and stop commands through the built tool: the keys they leave, the toasts
// they post, and what reaches the emulated capture and USB storage.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "Keys.h"
#include "LogRecords.h"
#include "NotificationJournal.h"
#include "TempDeviceRoot.h"
#include "ToastPosts.h"
#include "ToolRun.h"

using brelta::test::JournalEntry;
using brelta::test::kRunning;
using brelta::test::kStart;
using brelta::test::kStop;
using brelta::test::kTSDump;
using brelta::test::LogRecords;
using brelta::test::NotificationJournal;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::Toast;
using brelta::test::ToastPost;
using brelta::test::ToastPosts;
using brelta::test::ToolRun;

namespace {

RunResult RunTool(const TempDeviceRoot& root, const char* id) {
    RunResult r = ToolRun(root).Run({id}, 30);
    EXPECT_TRUE(r.exited && r.exitCode == 0) << id;
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
    EXPECT_EQ(posts[0], Toast(posts[0].id, "TCP Dump tool", content, "OK"));
    return posts[0].id;
}

void ExpectKeys(const TempDeviceRoot& root, const std::string& running, const std::string& ts) {
    EXPECT_EQ(root.Setting(kRunning), running);
    EXPECT_EQ(root.Setting(kTSDump), ts);
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
    ExpectKeys(root, setting(row.runningAfter), setting(row.tsDumpAfter));
    EXPECT_EQ(root.Read("network/tcpdump"), row.capture);
    long id = ExpectOnlyToast(root, r.pid, row.toast);
    std::vector<long> deleted;
    for (const JournalEntry& op : NotificationJournal::Load(root).Ops("delete_all"))
        if (op.Int("pid") == r.pid) deleted = op.Ints("ids");
    EXPECT_EQ(deleted, std::vector<long>{id}) << "the toast goes with the process";
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

TEST(TCPDumpCommand, StopInAProcessOfItsOwnClearsTheKeysAndStopsNothing) {
    // As after a start by an earlier run: this process holds no handle.
    TempDeviceRoot root;
    root.Write("usb/devices", root / "media/usb0" + "\tStick\n");
    root.Write("network/tcpdump", "running");
    root.SetSetting(kRunning, "int", "1");
    root.SetSetting(kTSDump, "int", "1");
    RunResult stop = RunTool(root, kStop);
    ExpectKeys(root, "int 0\n", "int 0\n");
    EXPECT_EQ(root.Read("network/tcpdump"), "running");
    EXPECT_FALSE(root.Exists("media/usb0"));
    ExpectOnlyToast(root, stop.pid, "tcp dump and ts dump stop successfully");
}

TEST(TCPDumpCommand, RefusedToastsStillWriteTheKeys) {
    TempDeviceRoot root;
    root.SetSetting("memory/channel-search/channel-search-activate", "bool", "1");
    RunResult start = RunTool(root, kStart);
    ExpectKeys(root, "int 1\n", "int 1\n");
    EXPECT_EQ(root.Read("network/tcpdump"), "running");
    EXPECT_TRUE(Posts(root, start.pid).empty());

    LogRecords main = LogRecords::Load(root / "log/main");
    EXPECT_EQ(main.Count("During channel scan. Skip to launch Banner.", start.pid), 1u);
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
    EXPECT_EQ(NotificationJournal::Load(root).Events(id), std::vector<int>{0});
    EXPECT_FALSE(root.Exists("notifications/input/" + std::to_string(id)));
    // The button's callback is empty: the press ends the toast and nothing else.
    EXPECT_EQ(Posts(root, pid).size(), 1u);
    EXPECT_EQ(root.Setting(kRunning), "int 1\n");
    EXPECT_EQ(LogRecords::Load(root / "log/main").Count("Event 0 not registered", pid), 0u);
}

}  // namespace
