// The host notification service where a run cannot time or arrange it: hide time-outs against
// re-posts, input files written slowly, early or for another process, and ids handed out to
// processes at once. Times are bounded from below only: a load delays events, never hastens
// them; and what must not happen is checked once something due later has happened.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <notification.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "notification/NotificationIds.h"

using brelta::host::NotificationIds;
using Lines = std::vector<std::string>;

namespace {

// The events a callback was given, and when the first came.
struct Recorder {
    std::vector<int> events;
    double at = 0;

    static void Callback(notification_h, const int event, void* data) {
        Recorder* self = static_cast<Recorder*>(data);
        if (self->events.empty()) self->at = g_get_monotonic_time() / 1e6;
        self->events.push_back(event);
    }
};

class NotificationServiceTest : public brelta::test::HostFixture {
protected:
    void TearDown() override {
        for (notification_h handle : handles) notification_free(handle);
        HostFixture::TearDown();
    }
    notification_h Post(const char* title, int hideTimeout, Recorder* recorder) {
        notification_h handle = notification_create(NOTIFICATION_TYPE_NOTI);
        notification_set_text(handle, NOTIFICATION_TEXT_TYPE_TITLE, title, "TITLE", -1);
        notification_set_hide_timeout(handle, hideTimeout);
        Repost(handle, recorder);
        handles.push_back(handle);
        return handle;
    }
    void Repost(notification_h handle, Recorder* recorder) {
        EXPECT_EQ(notification_post_with_event_cb(handle, Recorder::Callback, recorder), 0);
    }
    void Input(int id, const std::string& content) {
        root->Write("notifications/input/" + std::to_string(id), content);
    }
    void Await(const Recorder& recorder, size_t events) {
        ASSERT_TRUE(RunLoopUntil([&] { return recorder.events.size() >= events; }, 30));
    }

    std::vector<notification_h> handles;
    Recorder recorders[4];  // outlive the test body: pending events are delivered at TearDown
};

TEST_F(NotificationServiceTest, HideTimeoutCountsFromTheLatestPostAndOnlyWhenPositive) {
    auto& [timed, zero, negative, dropped] = recorders;
    notification_h handle = Post("timed", 1, &timed);
    Post("zero", 0, &zero);
    Post("quote \" new\nline \xff", -1, &negative);  // a title no journal line may break on
    notification_h again = Post("dropped", 1, &dropped);
    notification_set_hide_timeout(again, 0);
    Repost(again, &dropped);
    RunLoopFor(0.5);
    // Due later than the time-out that the second post of "dropped" took away.
    double repost = g_get_monotonic_time() / 1e6;
    Repost(handle, &timed);
    Await(timed, 1);
    EXPECT_GE(timed.at - repost, 1.0);
    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);
    EXPECT_TRUE(zero.events.empty()) << "delivered from inside the call";
    Await(dropped, 1);
    EXPECT_EQ(Journal(), (Lines{"post 1 timed|null [] 1", "post 2 zero|null [] 0",
                                "post 3 quote \" new\nline \xef\xbf\xbd|null [] -1",
                                "post 4 dropped|null [] 1", "post 4 dropped|null [] 0",
                                "post 1 timed|null [] 1", "event 1 101", "delete_all [2,3,4]",
                                "event 2 201", "event 3 201", "event 4 201"}));
}

// Ids of a fresh root are 1, 2, ...: a press may be written before the post. At once only a
// finished line is taken; a file that is complete without one is taken a second after the
// post. The input directory is shared by every process of the root.
TEST_F(NotificationServiceTest, APressIsTakenWhenCompleteOnceAndOnlyByItsPoster) {
    auto& [slow, early, own, unused] = recorders;
    Input(2, "1");
    Post("slow", 0, &slow);
    Post("early", 0, &early);
    // Taken by the later look at id 2, which comes after the one at id 1: a slow writer of id
    // 1's file now has to finish its line.
    Await(early, 1);
    int fd = open((*root / "notifications/input/1").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_EQ(write(fd, "1", 1), 1);
    RunLoopFor(0.3);
    ASSERT_EQ(write(fd, "00\n", 3), 3);
    close(fd);
    Await(slow, 1);
    // Not an event: left for its writer to correct. The service takes the files in turn.
    Input(1, "7\n");
    Input(2, " 102 \r\n");
    Await(early, 2);
    EXPECT_EQ(root->Read("notifications/input/1"), "7\n");
    ASSERT_EQ(notification_delete_all(NOTIFICATION_TYPE_NOTI), 0);

    // The tool as another process on the root: its toast is posted, it takes its press.
    std::string bus = "unix:path=" + *root / "no-bus";
#ifdef BRELTA_EMULATOR
    gchar** argv = g_strsplit(BRELTA_EMULATOR, " ", -1);
#else
    gchar** argv = g_new0(gchar*, 1);
#endif
    GStrvBuilder* command = g_strv_builder_new();
    g_strv_builder_addv(command, const_cast<const char**>(argv));
    g_strv_builder_add_many(command, BRELTA_TOOL_PATH, "brelta.keycombination.tcpdumpstart",
                            nullptr);
    g_strfreev(argv);
    argv = g_strv_builder_end(command);
    g_strv_builder_unref(command);
    gchar** env = g_environ_setenv(g_get_environ(), "DBUS_SYSTEM_BUS_ADDRESS", bus.c_str(), TRUE);
    GPid peer = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, argv, env, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                              &peer, nullptr));
    g_strfreev(env);
    g_strfreev(argv);
    const std::string by = " by " + std::to_string(peer);
    EXPECT_TRUE(
        AwaitJournal("post 3 TCP Dump tool|tcp dump and ts dump start successfully [OK*] 60" + by));
    Post("own", 0, &own);
    Input(4, "0\n");
    Input(3, "100\n");
    Await(own, 1);
    EXPECT_TRUE(AwaitJournal("event 3 100" + by));
    kill(peer, SIGKILL);
    waitpid(peer, nullptr, 0);
    EXPECT_EQ(slow.events, (std::vector<int>{100}));
    EXPECT_EQ(early.events, (std::vector<int>{1, 102}));
    EXPECT_EQ(own.events, (std::vector<int>{0}));
    Lines journal = Journal();
    EXPECT_EQ(Lines(journal.begin(), journal.begin() + 6),
              (Lines{"post 1 slow|null [] 0", "post 2 early|null [] 0", "event 2 1", "event 1 100",
                     "event 2 102", "delete_all []"}));
}

TEST_F(NotificationServiceTest, IdsStayUniqueAcrossProcessesSharingARoot) {
    constexpr int kProcesses = 5, kEach = 50;
    std::vector<pid_t> children;
    for (int c = 0; c < kProcesses; ++c) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::string ids;
            for (int i = 0; i < kEach; ++i) ids += std::to_string(NotificationIds::Next()) + "\n";
            root->Write("ids." + std::to_string(c), ids);
            _exit(0);
        }
        children.push_back(pid);
    }
    std::multiset<int> ids;
    for (int c = 0; c < kProcesses; ++c) {
        waitpid(children[c], nullptr, 0);
        std::istringstream lines(root->Read("ids." + std::to_string(c)));
        for (int id = 0; lines >> id;) ids.insert(id);
    }
    std::set<int> distinct(ids.begin(), ids.end());
    EXPECT_EQ(ids.size(), size_t{kProcesses * kEach});
    EXPECT_EQ(distinct.size(), ids.size()) << "an id was handed out twice";
    EXPECT_EQ(*distinct.rbegin(), kProcesses * kEach);
}

}  // namespace
