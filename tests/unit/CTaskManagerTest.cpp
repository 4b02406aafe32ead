// The exit lock and the exit delay of the task manager, which no task drives as these calls
// do: several locks, a release below zero, a Destroy while the delay runs. Times come from the
// records' stamps, which the test also checks against the clock.
#include <gtest/gtest.h>

#include <ctime>

#include "CTaskManager.h"
#include "HostFixture.h"

using brelta::test::HostFixture;
using brelta::test::LogRecord;

namespace {

// A wall-clock time as the log stamps it, cut to the millisecond.
std::string Stamp(gint64 microseconds) {
    time_t seconds = static_cast<time_t>(microseconds / 1000000);
    struct tm tm;
    gmtime_r(&seconds, &tm);
    char text[40];
    size_t n = strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(microseconds / 1000 % 1000));
    return text;
}

class CTaskManagerTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        CTaskManager::timeout = 1;
    }
    void TearDown() override {
        manager.Destroy();
        g_main_loop_unref(loop);
        CTaskManager::timeout = 5;
        HostFixture::TearDown();
    }
    // Runs the default context until a whole-second timer armed now has fired. Armed after the
    // manager's timers with the same delay, it comes due no sooner than they do, so they have
    // all fired by then. The manager quits a loop that nobody runs.
    void RunPastTheDelay() {
        bool fired = false;
        g_timeout_add_seconds(
            1, [](gpointer done) { return *static_cast<bool*>(done) = true, FALSE; }, &fired);
        ASSERT_TRUE(RunLoopUntil([&] { return fired; }, 30));
    }
    // Calls `change` and checks that the record it writes is stamped with the clock's time.
    void Stamped(void (CTaskManager::*change)()) {
        std::string before = Stamp(g_get_real_time());
        (manager.*change)();
        std::string after = Stamp(g_get_real_time());
        LogRecord record = SystemLog().All().back();
        EXPECT_LE(before, record.time) << record.text;
        EXPECT_LE(record.time, after) << record.text;
    }

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    CTaskManager manager{loop};
};

TEST_F(CTaskManagerTest, EveryReleaseToZeroOrBelowRestartsTheWholeDelay) {
    Stamped(&CTaskManager::LockExit);
    manager.LockExit();
    manager.UnLockExit();
    manager.UnLockExit();
    // The timer armed by this release must not fire: had it stayed, it would come due within
    // 2 s (GLib rounds whole-second timers to a grid), so well before the second release's
    // delay is over.
    g_usleep(1300 * 1000);
    Stamped(&CTaskManager::UnLockExit);
    RunPastTheDelay();
    EXPECT_EQ(Records("system"),
              (std::vector<std::string>{"CTaskManager.cpp: LockExit > lOCK ++ 1",
                                        "CTaskManager.cpp: LockExit > lOCK ++ 2",
                                        "CTaskManager.cpp: UnLockExit > UNLOCK -- 1",
                                        "CTaskManager.cpp: UnLockExit > UNLOCK -- 0",
                                        "CTaskManager.cpp: Exit > EXITING in 1 seconds ...",
                                        "CTaskManager.cpp: UnLockExit > UNLOCK -- -1",
                                        "CTaskManager.cpp: Exit > EXITING in 1 seconds ...",
                                        "CTaskManager.cpp: operator() > EXITING."}));
    // GLib may fire a whole-second timer up to a quarter second early; a load only delays it.
    auto all = SystemLog().All();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_GE(all[7].Milliseconds() - all[6].Milliseconds(), 750 - 1);
}

TEST_F(CTaskManagerTest, DestroyTakesTheRunningDelayAlongTwiceOver) {
    manager.LockExit();
    manager.UnLockExit();
    manager.Destroy();
    manager.Destroy();
    RunPastTheDelay();
    EXPECT_EQ(SystemTexts(),
              (std::vector<std::string>{"lOCK ++ 1", "UNLOCK -- 0", "EXITING in 1 seconds ..."}));
}

// Each lookup sets the delay afresh: an MDT lookup's 120 s never reaches the next one.
TEST_F(CTaskManagerTest, EveryLookupSetsTheExitDelay) {
    std::vector<int> delays;
    for (const char* id : {"brelta.keycombination.mdt", "brelta.keycombination.ndf",
                           "brelta.keycombination.mdt", "brelta.keycombination.none"}) {
        CTaskManager other(loop);
        other.Init(id);
        delays.push_back(CTaskManager::timeout);
        other.Destroy();
    }
    EXPECT_EQ(delays, (std::vector<int>{120, 5, 120, 5}));
}

}  // namespace
