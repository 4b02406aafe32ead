// The exit lock and the exit delay of the task manager, on a real main loop.
#include <gtest/gtest.h>

#include "CTaskManager.h"
#include "HostFixture.h"

using brelta::test::HostFixture;
using brelta::test::LogRecords;

namespace {

class CTaskManagerTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        loop = g_main_loop_new(nullptr, FALSE);
        CTaskManager::timeout = 1;
    }
    void TearDown() override {
        g_main_loop_unref(loop);
        CTaskManager::timeout = 5;
        HostFixture::TearDown();
    }
    // Runs the loop until the manager quits it, with a guard against a test that hangs.
    double RunUntilQuit(double limit) {
        gint64 start = g_get_monotonic_time();
        guint guard = g_timeout_add_seconds(
            static_cast<guint>(limit),
            [](gpointer data) -> gboolean {
                g_main_loop_quit(static_cast<GMainLoop*>(data));
                return FALSE;
            },
            loop);
        g_main_loop_run(loop);
        double seconds = (g_get_monotonic_time() - start) / 1e6;
        if (seconds < limit - 0.5) g_source_remove(guard);
        return seconds;
    }
    GMainLoop* loop = nullptr;
};

TEST_F(CTaskManagerTest, LockAndUnlockCountAndArmTheDelayAtZero) {
    CTaskManager manager(loop);
    manager.LockExit();
    manager.LockExit();
    manager.UnLockExit();
    manager.UnLockExit();
    double seconds = RunUntilQuit(5);
    EXPECT_GE(seconds, 0.5);
    EXPECT_LT(seconds, 2.5);
    EXPECT_EQ(SystemTexts(),
              (std::vector<std::string>{"lOCK ++ 1", "lOCK ++ 2", "UNLOCK -- 1", "UNLOCK -- 0",
                                        "EXITING in 1 seconds ...", "EXITING."}));
    auto exiting = SystemLog().ByFunction("operator()");
    ASSERT_EQ(exiting.size(), 1u);
    EXPECT_EQ(exiting[0].text, "EXITING.");
    EXPECT_EQ(exiting[0].file, "CTaskManager.cpp");
    manager.Destroy();
}

TEST_F(CTaskManagerTest, ExtraUnlockGoesNegativeAndRearmsTheFullDelay) {
    CTaskManager::timeout = 2;
    CTaskManager manager(loop);
    manager.LockExit();
    manager.UnLockExit();
    // Release once more 1.2 s later: the timer armed first must not fire at 2 s.
    g_timeout_add(
        1200,
        [](gpointer data) -> gboolean {
            static_cast<CTaskManager*>(data)->UnLockExit();
            return FALSE;
        },
        &manager);
    double seconds = RunUntilQuit(8);
    EXPECT_GE(seconds, 2.6) << "the first timer was not removed";
    EXPECT_LT(seconds, 4.6);
    auto texts = SystemTexts();
    EXPECT_EQ(texts,
              (std::vector<std::string>{"lOCK ++ 1", "UNLOCK -- 0", "EXITING in 2 seconds ...",
                                        "UNLOCK -- -1", "EXITING in 2 seconds ...", "EXITING."}));
    manager.Destroy();
}

TEST_F(CTaskManagerTest, UnknownIdIsRefusedWithNothingScheduled) {
    CTaskManager manager(loop);
    EXPECT_FALSE(manager.Init("brelta.keycombination.nothing"));
    EXPECT_EQ(manager.GetLaunchArgs(), "brelta.keycombination.nothing");
    EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"invalid argument"}));
    // Nothing is pending: a loop iteration dispatches nothing.
    EXPECT_FALSE(g_main_context_iteration(nullptr, FALSE));
    manager.Destroy();
    manager.Destroy();
    EXPECT_EQ(SystemTexts().size(), 1u);
}

TEST_F(CTaskManagerTest, DestroyRemovesAnArmedTimerSoTheLoopNeverQuits) {
    CTaskManager manager(loop);
    manager.LockExit();
    manager.UnLockExit();
    manager.Destroy();
    manager.Destroy();
    double seconds = RunUntilQuit(3);
    EXPECT_GE(seconds, 2.5) << "the exit timer survived Destroy";
    EXPECT_EQ(SystemLog().Count("EXITING."), 0u);
}

TEST_F(CTaskManagerTest, DestroyBeforeTheIdlePhaseDeletesTheTaskUnrun) {
    CTaskManager manager(loop);
    ASSERT_TRUE(manager.Init("brelta.keycombination.ndf"));
    manager.Destroy();
    // The idle source went with Destroy: the task never runs and nothing locks the exit.
    EXPECT_FALSE(g_main_context_iteration(nullptr, FALSE));
    LogRecords log = SystemLog();
    EXPECT_EQ(log.ByFunction("Execute").size(), 0u);
    EXPECT_EQ(log.ByFunction("LockExit").size(), 0u);
    // Made and deleted: the task's constructor and destructor records.
    EXPECT_EQ(log.ByFunction("CNDFPopup").size(), 1u);
    EXPECT_EQ(log.ByFunction("~CNDFPopup").size(), 1u);
}

TEST_F(CTaskManagerTest, NoLaunchArgsBeforeInit) {
    CTaskManager manager(loop);
    EXPECT_EQ(manager.GetLaunchArgs(), "");
}

}  // namespace
