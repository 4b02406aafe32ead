// The host notification service on a real main loop: what it journals, when it delivers
// events and to whom, and how input files from other processes reach the poster.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <notification.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <sstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "HostFixture.h"
#include "NotificationIds.h"
#include "NotificationInput.h"
#include "NotificationJournal.h"
#include "NotificationRecord.h"
#include "NotificationService.h"
#include "NotificationView.h"
#include "ToolRun.h"

using brelta::host::NotificationIds;
using brelta::host::NotificationInput;
using brelta::host::NotificationRecord;
using brelta::host::NotificationService;
using brelta::host::NotificationView;
using brelta::test::HostFixture;
using brelta::test::JournalEntry;
using brelta::test::NotificationJournal;
using brelta::test::RunResult;
using brelta::test::ToolRun;

namespace {

// What a callback was given, with the time it was called.
struct Recorder {
    struct Call {
        notification_h noti;
        int event;
        double at;
    };
    std::vector<Call> calls;

    static void Callback(notification_h noti, const int event, void* userdata) {
        static_cast<Recorder*>(userdata)->calls.push_back(
            {noti, event, g_get_monotonic_time() / 1e6});
    }
    std::vector<int> Events() const {
        std::vector<int> events;
        for (const Call& call : calls) events.push_back(call.event);
        return events;
    }
};

double Now() {
    return g_get_monotonic_time() / 1e6;
}

class NotificationServiceTest : public HostFixture {
protected:
    void TearDown() override {
        for (notification_h handle : handles) notification_free(handle);
        HostFixture::TearDown();
    }
    // A handle freed at the end of the test.
    notification_h Create(const char* title, int hideTimeout,
                          notification_type_e type = NOTIFICATION_TYPE_NOTI) {
        notification_h handle = notification_create(type);
        EXPECT_NE(handle, nullptr);
        notification_set_text(handle, NOTIFICATION_TEXT_TYPE_TITLE, title, "TITLE",
                              NOTIFICATION_VARIABLE_TYPE_NONE);
        notification_set_hide_timeout(handle, hideTimeout);
        handles.push_back(handle);
        return handle;
    }
    int Post(notification_h handle, Recorder* recorder) {
        EXPECT_EQ(notification_post_with_event_cb(handle, Recorder::Callback, recorder), 0);
        return NotificationJournal::Load(*root).LastPostId();
    }
    // Callbacks' user data lives as long as the fixture: events still pending when a test
    // ends are delivered while the fixture drains the loop.
    Recorder& NewRecorder() { return recorders.emplace_back(); }
    NotificationJournal Journal() const { return NotificationJournal::Load(*root); }
    std::string Input(int id) const { return "notifications/input/" + std::to_string(id); }

    std::vector<notification_h> handles;
    std::deque<Recorder> recorders;
};

TEST_F(NotificationServiceTest, PostJournalsWhatTheHandleHoldsAndRepostKeepsTheId) {
    notification_h full = notification_create(NOTIFICATION_TYPE_NOTI);
    ASSERT_NE(full, nullptr);
    handles.push_back(full);
    notification_set_text(full, NOTIFICATION_TEXT_TYPE_TITLE, "Title", "TITLE", -1);
    notification_set_text(full, NOTIFICATION_TEXT_TYPE_CONTENT, "Käse \"quoted\"", "CONTENT", -1);
    notification_set_image(full, NOTIFICATION_IMAGE_TYPE_ICON, "/icons/i.png");
    ASSERT_EQ(notification_add_button(full, NOTIFICATION_BUTTON_1), 0);
    ASSERT_EQ(notification_add_button(full, NOTIFICATION_BUTTON_2), 0);
    notification_set_text(full, NOTIFICATION_TEXT_TYPE_BUTTON_1, "OK", "0", -1);
    notification_set_text(full, NOTIFICATION_TEXT_TYPE_BUTTON_2, "Cancel", "1", -1);
    notification_set_image(full, NOTIFICATION_IMAGE_TYPE_BUTTON_1, "/icons/ok.png");
    notification_set_default_button(full, NOTIFICATION_BUTTON_2);
    notification_set_display_applist(full, NOTIFICATION_DISPLAY_APP_ACTIVE);
    notification_set_layout(full, NOTIFICATION_LY_NOTI_EVENT_SINGLE);
    notification_set_hide_timeout(full, 60);
    notification_h bare = notification_create(NOTIFICATION_TYPE_NOTI);
    handles.push_back(bare);
    Recorder& recorder = NewRecorder();
    int fullId = Post(full, &recorder);
    int bareId = Post(bare, &recorder);
    notification_set_text(full, NOTIFICATION_TEXT_TYPE_TITLE, "Second title", "TITLE", -1);
    Post(full, &recorder);

    NotificationJournal journal = Journal();
    EXPECT_TRUE(journal.Broken().empty());
    auto posts = journal.Ops("post");
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_GT(fullId, 0);
    EXPECT_GT(bareId, 0);
    EXPECT_NE(fullId, bareId);
    const JournalEntry& first = posts[0];
    EXPECT_EQ(first.Int("id"), fullId);
    EXPECT_EQ(first.Int("pid"), getpid());
    EXPECT_EQ(first.Int("type"), 0);
    EXPECT_EQ(first.Str("title"), "Title");
    EXPECT_EQ(first.Str("content"), "Käse \"quoted\"");
    EXPECT_EQ(first.Str("image"), "/icons/i.png");
    EXPECT_EQ(first.Int("default_button"), 2);
    EXPECT_EQ(first.Int("display_applist"), 16);
    EXPECT_EQ(first.Int("layout"), 1);
    EXPECT_EQ(first.Int("hide_timeout"), 60);
    auto buttons = first.Objects("buttons");
    ASSERT_EQ(buttons.size(), 2u);
    const JournalEntry& ok = buttons[0];
    const JournalEntry& cancel = buttons[1];
    EXPECT_EQ(ok.Int("button"), 1);
    EXPECT_EQ(ok.Str("text"), "OK");
    EXPECT_EQ(ok.Str("image"), "/icons/ok.png");
    EXPECT_EQ(cancel.Int("button"), 2);
    EXPECT_EQ(cancel.Str("text"), "Cancel");
    EXPECT_TRUE(cancel.IsNull("image"));

    for (const char* name : {"title", "content", "image", "default_button", "display_applist",
                             "layout", "hide_timeout"})
        EXPECT_TRUE(posts[1].IsNull(name)) << name;
    EXPECT_TRUE(posts[1].Objects("buttons").empty());

    EXPECT_EQ(posts[2].Int("id"), fullId);
    EXPECT_EQ(posts[2].Str("title"), "Second title");
    EXPECT_EQ(NotificationService::Find(fullId), full);
    EXPECT_EQ(NotificationService::Find(fullId)->FindText(13)->key, "0");
}

TEST_F(NotificationServiceTest, IdsStayUniqueAcrossProcessesSharingARoot) {
    constexpr int kChildren = 4;
    constexpr int kEach = 50;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string out;
            for (int i = 0; i < kEach; ++i) out += std::to_string(NotificationIds::Next()) + "\n";
            std::string path = *root / ("ids." + std::to_string(c));
            FILE* file = fopen(path.c_str(), "w");
            fputs(out.c_str(), file);
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
        int id = 0;
        while (lines >> id) ids.insert(id);
    }
    ASSERT_EQ(ids.size(), size_t{(kChildren + 1) * kEach});
    std::set<int> distinct(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), ids.size()) << "an id was handed out twice";
    EXPECT_EQ(*distinct.begin(), 1);
    EXPECT_EQ(*distinct.rbegin(), (kChildren + 1) * kEach);

    // A counter that someone spoiled is not guessed around: posting fails instead.
    root->Write("notifications/last_id", "many\n");
    EXPECT_EQ(NotificationIds::Next(), 0);
    notification_h handle = Create("t", 0);
    Recorder& recorder = NewRecorder();
    EXPECT_NE(notification_post_with_event_cb(handle, Recorder::Callback, &recorder), 0);
}

TEST_F(NotificationServiceTest, HideTimeoutCountsFromTheLatestPostAndOnlyWhenPositive) {
    Recorder& timed = NewRecorder();
    Recorder& zero = NewRecorder();
    Recorder& negative = NewRecorder();
    notification_h handle = Create("timed", 1);
    int id = Post(handle, &timed);
    double firstPost = Now();
    int zeroId = Post(Create("zero", 0), &zero);
    int negativeId = Post(Create("negative", -1), &negative);
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
    EXPECT_TRUE(zero.calls.empty());
    EXPECT_TRUE(negative.calls.empty());
    EXPECT_EQ(Journal().Events(id), std::vector<int>{101});

    // Hidden by its time-out, it is no longer among the shown ones.
    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids"),
              (std::vector<long>{zeroId, negativeId}));
}

TEST_F(NotificationServiceTest, DeleteAllHidesShownOnesAndDeliversDeletedFromTheLoopOnly) {
    Recorder& a = NewRecorder();
    Recorder& b = NewRecorder();
    Recorder& ongoing = NewRecorder();
    int aId = Post(Create("a", 1), &a);
    int bId = Post(Create("b", 1), &b);
    Post(Create("ongoing", 0, NOTIFICATION_TYPE_ONGOING), &ongoing);
    root->Write(Input(aId), "100\n");
    ASSERT_TRUE(RunLoopUntil([&] { return !a.calls.empty(); }, 3));

    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_TRUE(b.calls.empty()) << "delivered from inside the call";
    auto deletes = Journal().Ops("delete_all");
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].Int("pid"), getpid());
    EXPECT_EQ(deletes[0].Int("type"), 0);
    EXPECT_EQ(deletes[0].Ints("ids"), std::vector<long>{bId});
    // Past b's time-out: deleted, it must not time out as well.
    RunLoopFor(1.4);
    EXPECT_EQ(a.Events(), std::vector<int>{100});
    EXPECT_EQ(b.Events(), std::vector<int>{201});
    EXPECT_TRUE(ongoing.calls.empty());
    EXPECT_EQ(Journal().Events(bId), std::vector<int>{201});

    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_TRUE(Journal().Ops("delete_all").back().Ints("ids").empty());
}

TEST_F(NotificationServiceTest, EventsOfAFreedHandleStillReachTheCallbackWithoutIt) {
    Recorder& recorder = NewRecorder();
    notification_h handle = notification_create(NOTIFICATION_TYPE_NOTI);
    int id = Post(handle, &recorder);
    ASSERT_EQ(notification_free(handle), 0);
    EXPECT_EQ(NotificationService::Find(id), nullptr);
    notification_delete_all(NOTIFICATION_TYPE_NOTI);
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 2));
    EXPECT_EQ(recorder.calls[0].event, 201);
    EXPECT_EQ(recorder.calls[0].noti, nullptr);
    // A late press on it is delivered the same way.
    root->Write(Input(id), "0\n");
    ASSERT_TRUE(RunLoopUntil([&] { return recorder.calls.size() == 2; }, 3));
    EXPECT_EQ(recorder.calls[1].event, 0);
    EXPECT_EQ(recorder.calls[1].noti, nullptr);
}

TEST_F(NotificationServiceTest, EventsArriveOnTheContextThatWasDefaultAtThePost) {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    Recorder& recorder = NewRecorder();
    Post(Create("t", 0), &recorder);
    g_main_context_pop_thread_default(context);
    notification_delete_all(NOTIFICATION_TYPE_NOTI);
    RunLoopFor(0.3);
    EXPECT_TRUE(recorder.calls.empty()) << "delivered on the default context";
    for (int i = 0; i < 50 && recorder.calls.empty(); ++i) {
        g_main_context_iteration(context, FALSE);
        g_usleep(1000);
    }
    EXPECT_EQ(recorder.Events(), std::vector<int>{201});
    g_main_context_unref(context);
}

// How people and scripts write a file: one write with a newline, no newline, a rename into
// place, and a slow writer whose first part alone would read as another event.
TEST_F(NotificationServiceTest, APressWrittenByAnotherProcessIsTakenOnceWhenComplete) {
    struct Case {
        const char* how;
        int event;
    };
    const Case cases[] = {{"echo", 0}, {"printf", 1}, {"rename", 102}, {"slow", 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Recorder& recorder = NewRecorder();
        int id = Post(Create(c.how, 0), &recorder);
        std::string path = *root / Input(id);
        std::string text = std::to_string(c.event);
        std::string how = c.how;
        // The service takes a file without a newline as it stands a second after the post
        // (a file written before the post gives no further file event); the slow writer's
        // pause must fall after that.
        if (how == "slow") RunLoopFor(1.2);
        double started = Now();
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Plain system calls only: the child of a GLib process must not use GLib.
            if (how == "rename") {
                std::string temp = *root / "notifications/input/.press";
                int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ssize_t n = write(fd, text.data(), text.size());
                close(fd);
                _exit(n > 0 && rename(temp.c_str(), path.c_str()) == 0 ? 0 : 1);
            }
            int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (how == "slow") {
                ssize_t n = write(fd, "1", 1);
                usleep(400 * 1000);
                n += write(fd, "00", 2);
                close(fd);
                _exit(n == 3 ? 0 : 1);
            }
            std::string content = how == "echo" ? text + "\n" : text;
            ssize_t n = write(fd, content.data(), content.size());
            close(fd);
            _exit(n == static_cast<ssize_t>(content.size()) ? 0 : 1);
        }
        int status = 0;
        ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 5));
        waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        RunLoopFor(0.3);
        EXPECT_EQ(recorder.Events(), std::vector<int>{c.event});
        EXPECT_FALSE(root->Exists(Input(id)));
        EXPECT_EQ(Journal().Events(id), std::vector<int>{c.event});
        if (how != "slow")
            RecordProperty(std::string("press_latency_ms_") + c.how,
                           static_cast<int>((recorder.calls[0].at - started) * 1000));
    }
    auto events = Journal().Ops("event");
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].Int("pid"), getpid());
}

TEST_F(NotificationServiceTest, InputWrittenBeforeThePostIsNoticedOnce) {
    // A fresh root hands out 1, 2, ... so a test can press before the toast exists; with
    // or without a final newline.
    root->Write(Input(1), "1\n");
    root->Write(Input(2), "0");
    Recorder& first = NewRecorder();
    Recorder& second = NewRecorder();
    ASSERT_EQ(Post(Create("t", 0), &first), 1);
    ASSERT_EQ(Post(Create("u", 0), &second), 2);
    ASSERT_TRUE(RunLoopUntil([&] { return !first.calls.empty() && !second.calls.empty(); }, 3));
    RunLoopFor(0.3);
    EXPECT_EQ(first.Events(), std::vector<int>{1});
    EXPECT_EQ(second.Events(), std::vector<int>{0});
    EXPECT_FALSE(root->Exists(Input(1)));
    EXPECT_FALSE(root->Exists(Input(2)));
}

TEST_F(NotificationServiceTest, InputThatIsNotAnEventOrNotOursStaysInPlace) {
    Recorder& recorder = NewRecorder();
    int id = Post(Create("t", 0), &recorder);
    root->Write(Input(id), "7\n");
    root->Write(Input(id + 100), "0\n");
    root->Write("notifications/input/0" + std::to_string(id), "0\n");
    RunLoopFor(0.5);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(root->Read(Input(id)), "7\n");
    EXPECT_TRUE(root->Exists(Input(id + 100)));
    root->Write(Input(id), " 102 \n");
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 3));
    EXPECT_EQ(recorder.Events(), std::vector<int>{102});

    int event = -1;
    for (const char* bad : {"", "\n", "101\n", "201", "-1", "1.0", "0x1", "abc", "1 1"})
        EXPECT_FALSE(NotificationInput::ParseEvent(bad, true, &event)) << bad;
    EXPECT_FALSE(NotificationInput::ParseEvent("1", false, &event));
    EXPECT_TRUE(NotificationInput::ParseEvent("1\n", false, &event));
    EXPECT_TRUE(NotificationInput::ParseEvent("100", true, &event));
    EXPECT_EQ(event, 100);
    int parsed = 0;
    for (const char* bad : {"", "0", "01", "-3", "3a", ".3", "99999999999"})
        EXPECT_FALSE(NotificationInput::ParseId(bad, &parsed)) << bad;
    EXPECT_TRUE(NotificationInput::ParseId("42", &parsed));
    EXPECT_EQ(parsed, 42);
}

TEST_F(NotificationServiceTest, ProcessesSharingTheInputDirectoryTakeOnlyTheirOwnIds) {
    std::string peer = std::string(BRELTA_HELPER_DIR) + "/notification_peer";
    ToolRun first(*root, peer), second(*root, peer);
    pid_t firstPid = first.Start({"first", "0", "10"});
    pid_t secondPid = second.Start({"second", "0", "10"});
    int firstId = NotificationJournal::WaitForPost(*root, firstPid, 5);
    int secondId = NotificationJournal::WaitForPost(*root, secondPid, 5);
    ASSERT_GT(firstId, 0);
    ASSERT_GT(secondId, 0);
    Recorder& recorder = NewRecorder();
    int ownId = Post(Create("own", 0), &recorder);
    root->Write(Input(secondId), "1\n");
    root->Write(Input(ownId), "0\n");
    root->Write(Input(firstId), "100\n");
    RunResult firstResult = first.Wait(10);
    RunResult secondResult = second.Wait(10);
    ASSERT_TRUE(RunLoopUntil([&] { return !recorder.calls.empty(); }, 3));
    EXPECT_EQ(firstResult.exitCode, 0);
    EXPECT_EQ(firstResult.out, "event 100\n");
    EXPECT_EQ(secondResult.exitCode, 0);
    EXPECT_EQ(secondResult.out, "event 1\n");
    EXPECT_EQ(recorder.Events(), std::vector<int>{0});
    for (int id : {firstId, secondId, ownId}) EXPECT_FALSE(root->Exists(Input(id))) << id;
    NotificationJournal journal = Journal();
    for (const JournalEntry& event : journal.Ops("event")) {
        long id = *event.Int("id");
        long pid = *event.Int("pid");
        EXPECT_EQ(pid, id == firstId ? firstPid : id == secondId ? secondPid : getpid()) << id;
    }
    EXPECT_EQ(journal.Ops("event").size(), 3u);
}

TEST_F(NotificationServiceTest, ScriptedFaultsFailTheCallWithoutEffect) {
    root->Fault("notification_create", "1 0");
    root->Fault("notification_add_button", "-5");
    root->Fault("notification_post_with_event_cb", "7");
    ReloadFaults();
    EXPECT_EQ(notification_create(NOTIFICATION_TYPE_NOTI), nullptr);
    notification_h handle = Create("t", 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(notification_add_button(handle, NOTIFICATION_BUTTON_1), -5);
    Recorder& recorder = NewRecorder();
    EXPECT_EQ(notification_post_with_event_cb(handle, Recorder::Callback, &recorder), 7);
    EXPECT_TRUE(Journal().All().empty());
    EXPECT_TRUE(handle->Buttons().empty());
    EXPECT_EQ(handle->Id(), 0);
    // The scripts are used up: the calls work again.
    EXPECT_EQ(notification_add_button(handle, NOTIFICATION_BUTTON_1), 0);
    EXPECT_EQ(Post(handle, &recorder), 1);
    EXPECT_EQ(Journal().Ops("post").size(), 1u);
}

TEST_F(NotificationServiceTest, TheTerminalBoxShowsTextsAndMarksTheDefaultButton) {
    notification_h handle = Create("TCP Dump tool", 0);
    notification_set_text(handle, NOTIFICATION_TEXT_TYPE_CONTENT,
                          "a content that is long enough to need a second line in the box: äöü",
                          "CONTENT", -1);
    notification_add_button(handle, NOTIFICATION_BUTTON_1);
    notification_add_button(handle, NOTIFICATION_BUTTON_2);
    notification_set_text(handle, NOTIFICATION_TEXT_TYPE_BUTTON_1, "OK", "0", -1);
    notification_set_text(handle, NOTIFICATION_TEXT_TYPE_BUTTON_2, "Cancel", "1", -1);
    notification_set_default_button(handle, NOTIFICATION_BUTTON_2);
    Recorder& recorder = NewRecorder();
    int id = Post(handle, &recorder);
    std::string box = NotificationView::Box(*handle, "/in");
    EXPECT_NE(box.find("notification " + std::to_string(id)), std::string::npos);
    EXPECT_NE(box.find("TCP Dump tool"), std::string::npos);
    EXPECT_NE(box.find("[ OK ]"), std::string::npos);
    EXPECT_NE(box.find("[>Cancel<]"), std::string::npos);
    EXPECT_NE(box.find("echo 1 > /in/" + std::to_string(id)), std::string::npos);
    // Every line of the box has the same width, however the content was wrapped.
    std::istringstream lines(box);
    std::string line;
    std::set<long> widths;
    int contentLines = 0;
    while (std::getline(lines, line) && line.rfind("  echo", 0) != 0) {
        widths.insert(g_utf8_strlen(line.c_str(), -1));
        if (line.find("content") != std::string::npos || line.find("box") != std::string::npos)
            ++contentLines;
    }
    EXPECT_EQ(widths.size(), 1u) << box;
    EXPECT_EQ(contentLines, 2) << box;
}

}  // namespace
