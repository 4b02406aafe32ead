// The host notification service on a real main loop: what it journals, when it delivers
// events and to whom, and how input files from other processes reach the poster.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <notification.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "NotificationIds.h"
#include "NotificationInput.h"
#include "NotificationJournal.h"
#include "NotificationRecord.h"
#include "NotificationService.h"
#include "ToolRun.h"

using brelta::host::NotificationIds;
using brelta::host::NotificationInput;
using brelta::host::NotificationService;
using brelta::test::HostFixture;
using brelta::test::NotificationJournal;
using brelta::test::RunResult;
using brelta::test::ToolRun;

namespace {

double Now() {
    return g_get_monotonic_time() / 1e6;
}

// What a callback was given, with the time it was called.
struct Recorder {
    struct Call {
        notification_h noti;
        int event;
        double at;
    };
    std::vector<Call> calls;

    static void Callback(notification_h noti, const int event, void* userdata) {
        static_cast<Recorder*>(userdata)->calls.push_back({noti, event, Now()});
    }
    std::vector<int> Events() const {
        std::vector<int> events;
        for (const Call& call : calls) events.push_back(call.event);
        return events;
    }
};

// Writes `parts` to `path` from a child process, pausing 0.4 s between them; through a
// rename into place when `rename`. Plain system calls only: the child of a GLib process
// must not use GLib.
pid_t WriteFromChild(const std::string& path, const std::vector<std::string>& parts, bool rename) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    std::string target = rename ? path + ".part" : path;
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = fd >= 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) usleep(400 * 1000);
        ok = ok && write(fd, parts[i].data(), parts[i].size()) == ssize_t(parts[i].size());
    }
    close(fd);
    if (rename) ok = ok && ::rename(target.c_str(), path.c_str()) == 0;
    _exit(ok ? 0 : 1);
}

class NotificationServiceTest : public HostFixture {
protected:
    void TearDown() override {
        for (notification_h handle : handles) notification_free(handle);
        HostFixture::TearDown();
    }
    // A handle freed at the end of the test.
    notification_h Create(const char* title, int hideTimeout) {
        notification_h handle = notification_create(NOTIFICATION_TYPE_NOTI);
        EXPECT_NE(handle, nullptr);
        if (title != nullptr)
            notification_set_text(handle, NOTIFICATION_TEXT_TYPE_TITLE, title, "TITLE", -1);
        if (hideTimeout != 0) notification_set_hide_timeout(handle, hideTimeout);
        handles.push_back(handle);
        return handle;
    }
    int Post(notification_h handle, Recorder* recorder) {
        EXPECT_EQ(notification_post_with_event_cb(handle, Recorder::Callback, recorder), 0);
        return Journal().LastPostId();
    }
    // Lives as long as the fixture: events still pending at the end are delivered while the
    // fixture drains the loop.
    Recorder& NewRecorder() { return recorders.emplace_back(); }
    NotificationJournal Journal() const { return NotificationJournal::Load(*root); }
    std::string Input(int id) const { return "notifications/input/" + std::to_string(id); }

    std::vector<notification_h> handles;
    std::deque<Recorder> recorders;
};

TEST_F(NotificationServiceTest, ARepostKeepsTheIdAndUnsetMembersAreNull) {
    Recorder& recorder = NewRecorder();
    notification_h titled = Create("Title", 60);
    int id = Post(titled, &recorder);
    int bareId = Post(Create(nullptr, 0), &recorder);
    notification_set_text(titled, NOTIFICATION_TEXT_TYPE_TITLE, "Second", "TITLE", -1);
    EXPECT_EQ(Post(titled, &recorder), id);

    NotificationJournal journal = Journal();
    EXPECT_TRUE(journal.Broken().empty());
    auto posts = journal.Ops("post");
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_GT(id, 0);
    EXPECT_NE(id, bareId);
    EXPECT_EQ(posts[0].Int("pid"), getpid());
    for (const char* name : {"title", "content", "image", "default_button", "display_applist",
                             "layout", "hide_timeout"})
        EXPECT_TRUE(posts[1].IsNull(name)) << name;
    EXPECT_EQ(posts[2].Str("title"), "Second");
    EXPECT_EQ(NotificationService::Find(id), titled);
}

TEST_F(NotificationServiceTest, IdsStayUniqueAcrossProcessesSharingARoot) {
    constexpr int kChildren = 4, kEach = 50;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FILE* file = fopen((*root / ("ids." + std::to_string(c))).c_str(), "w");
            for (int i = 0; i < kEach; ++i) fprintf(file, "%d\n", NotificationIds::Next());
            fclose(file);
            _exit(0);
        }
        children.push_back(pid);
    }
    std::multiset<int> ids;
    for (int i = 0; i < kEach; ++i) ids.insert(NotificationIds::Next());
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < kChildren; ++c) {
        std::istringstream lines(root->Read("ids." + std::to_string(c)));
        for (int id = 0; lines >> id;) ids.insert(id);
    }
    std::set<int> distinct(ids.begin(), ids.end());
    EXPECT_EQ(ids.size(), size_t{(kChildren + 1) * kEach});
    EXPECT_EQ(distinct.size(), ids.size()) << "an id was handed out twice";
    EXPECT_EQ(*distinct.rbegin(), (kChildren + 1) * kEach);

    // A counter that someone spoiled is not guessed around: posting fails instead.
    root->Write("notifications/last_id", "many\n");
    EXPECT_NE(notification_post_with_event_cb(Create("t", 0), Recorder::Callback, &NewRecorder()),
              0);
}

TEST_F(NotificationServiceTest, HideTimeoutCountsFromTheLatestPostAndOnlyWhenPositive) {
    Recorder& timed = NewRecorder();
    Recorder& never = NewRecorder();
    notification_h handle = Create("timed", 1);
    int id = Post(handle, &timed);
    double firstPost = Now();
    Post(Create("zero", 0), &never);
    Post(Create("negative", -1), &never);
    RunLoopFor(0.5);
    double repost = Now();
    ASSERT_EQ(Post(handle, &timed), id);
    ASSERT_TRUE(RunLoopUntil([&] { return !timed.calls.empty(); }, 3));
    RunLoopFor(1.2);
    ASSERT_EQ(timed.Events(), std::vector<int>{101});
    double late = timed.calls[0].at - repost - 1.0;
    EXPECT_GE(timed.calls[0].at - firstPost, 1.45) << "the re-post did not restart the time-out";
    EXPECT_GE(late, 0.0);
    EXPECT_LT(late, 0.4);
    EXPECT_EQ(timed.calls[0].noti, handle);
    RecordProperty("hide_timeout_late_ms", static_cast<int>(late * 1000));
    EXPECT_TRUE(never.calls.empty());
    // Hidden by its time-out, it is no longer among the shown ones.
    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids").size(), 2u);
}

// The handle of b is freed before its deletion is delivered, as Destroy of the toast does.
TEST_F(NotificationServiceTest, DeleteAllHidesShownOnesAndDeliversDeletedFromTheLoopOnly) {
    Recorder& a = NewRecorder();
    Recorder& b = NewRecorder();
    int aId = Post(Create("a", 1), &a);
    notification_h bHandle = notification_create(NOTIFICATION_TYPE_NOTI);
    notification_set_hide_timeout(bHandle, 1);
    int bId = Post(bHandle, &b);
    root->Write(Input(aId), "100\n");
    ASSERT_TRUE(RunLoopUntil([&] { return !a.calls.empty(); }, 3));
    ASSERT_EQ(notification_free(bHandle), 0);
    EXPECT_EQ(NotificationService::Find(bId), nullptr);
    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_TRUE(b.calls.empty()) << "delivered from inside the call";
    EXPECT_EQ(Journal().Ops("delete_all").at(0).Ints("ids"), std::vector<long>{bId});
    // Past b's time-out: deleted, it must not time out as well.
    RunLoopFor(1.4);
    EXPECT_EQ(a.Events(), std::vector<int>{100});
    ASSERT_EQ(b.Events(), std::vector<int>{201});
    EXPECT_EQ(b.calls[0].noti, nullptr);
}

// How people and scripts write a file: one write with a newline, no newline, a rename into
// place, and a slow writer whose first part alone would read as another event.
TEST_F(NotificationServiceTest, APressWrittenByAnotherProcessIsTakenOnceWhenComplete) {
    struct Case {
        const char* how;
        std::vector<std::string> parts;
        bool rename;
        int event;
    };
    const Case cases[] = {{"echo", {"0\n"}, false, 0},
                          {"printf", {"1"}, false, 1},
                          {"rename", {"102"}, true, 102},
                          {"slow", {"1", "00"}, false, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Recorder& recorder = NewRecorder();
        int id = Post(Create(c.how, 0), &recorder);
        // A file without a newline is taken as it stands a second after the post; the slow
        // writer's pause must fall after that.
        if (c.parts.size() > 1) RunLoopFor(1.2);
        double started = Now();
        pid_t child = WriteFromChild(*root / Input(id), c.parts, c.rename);
        ASSERT_GE(child, 0);
        ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 5));
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        RunLoopFor(0.3);
        EXPECT_EQ(recorder.Events(), std::vector<int>{c.event});
        EXPECT_FALSE(root->Exists(Input(id)));
        EXPECT_EQ(Journal().Events(id), std::vector<int>{c.event});
        RecordProperty(std::string("press_latency_ms_") + c.how,
                       static_cast<int>((recorder.calls[0].at - started) * 1000));
    }
}

// A fresh root hands out 1, 2, ...: a press may be written before the post, even without
// a final newline.
TEST_F(NotificationServiceTest, InputWrittenBeforeThePostIsNoticedOnce) {
    root->Write(Input(1), "1");
    Recorder& recorder = NewRecorder();
    ASSERT_EQ(Post(Create("t", 0), &recorder), 1);
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 3));
    RunLoopFor(0.3);
    EXPECT_EQ(recorder.Events(), std::vector<int>{1});
}

TEST_F(NotificationServiceTest, InputThatIsNotAnEventStaysInPlace) {
    Recorder& recorder = NewRecorder();
    int id = Post(Create("t", 0), &recorder);
    root->Write(Input(id), "7\n");
    RunLoopFor(0.5);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(root->Read(Input(id)), "7\n");
    root->Write(Input(id), " 102 \n");
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 3));
    EXPECT_EQ(recorder.Events(), std::vector<int>{102});

    int event = -1;
    for (const char* bad : {"", "\n", "101\n", "201", "-1", "1.0", "0x1", "abc", "1 1"})
        EXPECT_FALSE(NotificationInput::ParseEvent(bad, true, &event)) << bad;
    EXPECT_FALSE(NotificationInput::ParseEvent("1", false, &event)) << "incomplete line";
    EXPECT_TRUE(NotificationInput::ParseEvent("100", true, &event));
    EXPECT_EQ(event, 100);
    int parsed = 0;
    for (const char* bad : {"", "0", "01", "-3", "3a", ".3", "99999999999"})
        EXPECT_FALSE(NotificationInput::ParseId(bad, &parsed)) << bad;
}

TEST_F(NotificationServiceTest, ProcessesSharingTheInputDirectoryTakeOnlyTheirOwnIds) {
    ToolRun peer(*root, std::string(BRELTA_HELPER_DIR) + "/notification_peer");
    pid_t peerPid = peer.Start({"peer", "0", "10"});
    int peerId = NotificationJournal::WaitForPost(*root, peerPid, 5);
    ASSERT_GT(peerId, 0);
    Recorder& recorder = NewRecorder();
    int ownId = Post(Create("own", 0), &recorder);
    root->Write(Input(ownId), "0\n");
    root->Write(Input(peerId), "100\n");
    RunResult result = peer.Wait(10);
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 3));
    EXPECT_EQ(result.out, "event 100\n");
    EXPECT_EQ(recorder.Events(), std::vector<int>{0});
    auto events = Journal().Ops("event");
    ASSERT_EQ(events.size(), 2u);
    for (const auto& event : events)
        EXPECT_EQ(*event.Int("pid"), *event.Int("id") == peerId ? peerPid : getpid());
}

}  // namespace
