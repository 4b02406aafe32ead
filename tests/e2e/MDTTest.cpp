// The MDT id run by the built tool with a program of the test's own at $ROOT/usr/bin/MDT.
// Parent and child would each wait 120 s before ending; the tests read that delay from the
// records and end both processes themselves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "LogRecords.h"
#include "TaskRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::TempDeviceRoot;
using brelta::test::TextsFrom;
using brelta::test::ToolRun;
using brelta::test::WaitUntil;
using Texts = std::vector<std::string>;

namespace {

const char kWaiting[] = "EXITING in 120 seconds ...";

class MDTTest : public ::testing::Test {
protected:
    void TearDown() override {
        // The run's process group holds the tool, its child and the program.
        if (pid > 0) kill(-pid, SIGKILL);
        if (run) run->Wait(0);
    }
    void Start(const std::string& script) {
        root.Write("usr/bin/MDT", "#!/bin/sh\n" + script);
        chmod((root / "usr/bin/MDT").c_str(), 0755);
        run = std::make_unique<ToolRun>(root);
        pid = run->Start({"brelta.keycombination.mdt"});
    }
    LogRecords Log() const { return LogRecords::Load(root / "log/system"); }
    bool WaitForBothDelays() {
        return WaitUntil([&] { return Log().Count(kWaiting) == 2; }, 20);
    }
    // The process that wrote "MDT launching!!" (0 while there is none).
    long Child() const {
        LogRecords log = Log();
        const auto* record = log.Find("MDT launching!!");
        return record != nullptr ? record->pid : 0;
    }
    Texts TaskTexts(long process) const {
        return TextsFrom(Log(), {"CMDTPopup.cpp", "TestUtil.cpp", "CTaskManager.cpp"}, process);
    }

    TempDeviceRoot root;
    std::unique_ptr<ToolRun> run;
    pid_t pid = 0;
};

TEST_F(MDTTest, ChildRunsTheProgramAndBothWaitTheirExitDelay) {
    Start("echo $PPID > \"$(dirname \"$0\")/ran\"\nexit 3\n");
    ASSERT_TRUE(WaitForBothDelays()) << "records: " << Log().All().size();
    long child = Child();
    ASSERT_GT(child, 0);
    EXPECT_NE(child, pid);
    EXPECT_EQ(TaskTexts(pid), (Texts{"", "lOCK ++ 1", "+++++  Inside launchNS MDT",
                                     "cmd " + root / "usr/bin/MDT", "UNLOCK -- 0", kWaiting}));
    // The program's failure shows only as its wait status.
    EXPECT_EQ(TaskTexts(child),
              (Texts{"MDT launching!!", "Result:[768]", "UNLOCK -- 0", kWaiting}));
    EXPECT_FALSE(root.Read("usr/bin/ran").empty()) << "the program did not run";

    // Both are waiting out their delay: alive, and no "EXITING." yet.
    usleep(1500000);
    EXPECT_EQ(Log().Count("EXITING."), 0u);
    EXPECT_EQ(kill(pid, 0), 0);
    EXPECT_EQ(kill(static_cast<pid_t>(child), 0), 0);
}

TEST_F(MDTTest, LongProgramKeepsRunningAfterTheParentHasEnded) {
    Start("sleep 3\nexit 0\n");
    ASSERT_TRUE(WaitUntil([&] { return Log().Find(kWaiting, pid) != nullptr; }, 10));
    // End the parent in its exit delay, as the delay would if the program ran past 120 s.
    EXPECT_EQ(Log().Find("Result:[0]"), nullptr) << "the parent waited for the program";
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    waitpid(pid, nullptr, 0);

    ASSERT_TRUE(WaitForBothDelays());
    EXPECT_EQ(TaskTexts(Child()),
              (Texts{"MDT launching!!", "Result:[0]", "UNLOCK -- 0", kWaiting}));
    LogRecords log = Log();
    const auto* launching = log.Find("MDT launching!!");
    const auto* result = log.Find("Result:[0]");
    ASSERT_TRUE(launching != nullptr && result != nullptr);
    EXPECT_GE(result->seconds - launching->seconds, 2.9) << "the child waits for the program";
}

}  // namespace
