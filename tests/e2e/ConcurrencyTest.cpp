// Many runs of the tool at once on one device root, as a thumb on the remote starts them:
// capture starts and stops interleaved with the other commands. Every run must end with 0 and
// nothing that the runs share may be lost or torn.
//
// BRELTA_CONCURRENT_RUNS sets the number of runs (default 12, to keep ./test quick); run it
// by hand with more, e.g. BRELTA_CONCURRENT_RUNS=30 build/bin/brelta_e2e_tests
// --gtest_filter='Concurrency.*'.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DeviceRootChecks.h"
#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

int RunCount() {
    const char* text = std::getenv("BRELTA_CONCURRENT_RUNS");
    int runs = text != nullptr ? std::atoi(text) : 0;
    return runs > 0 ? runs : 12;
}

// The order in which the runs are started: mostly starts and stops of the capture, which
// share the most state, and now and then another command or an id nobody knows. The MDT
// command is left out: its exit delay is two minutes.
const char* IdOfRun(int i) {
    static const char* const kCycle[] = {
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.tcpdumpstop",
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.gateway",
        "brelta.keycombination.tcpdumpstop",  "brelta.keycombination.WiFiList",
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.rse",
        "brelta.keycombination.tcpdumpstop",  "brelta.keycombination.wifilow",
        "brelta.keycombination.nwerrorpopup", "brelta.keycombination.unknown",
    };
    return kCycle[i % (sizeof kCycle / sizeof kCycle[0])];
}

// True when every process has ended; none is reaped, so ToolRun::Wait still collects them.
bool AllEnded(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) {
        siginfo_t info = {};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
            continue;  // already gone
        if (info.si_pid == 0) return false;
    }
    return true;
}

TEST(Concurrency, ManyRunsAtOnceOnOneRootEndCleanlyAndLeaveEverythingWhole) {
    TempDeviceRoot root;
    root.SetSetting("db/menu_widget/language", "string", "en_US.UTF-8");
    root.SetSetting("db/menu_widget/regionformat", "string", "en_GB.UTF-8");
    root.Write("network/default_gateway", "1");
    root.Write("usb/devices", root / "usb/stick" + "\tStick\n");

    const int count = RunCount();
    std::vector<std::unique_ptr<ToolRun>> runs;
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        runs.push_back(std::make_unique<ToolRun>(root));
        pids.push_back(runs.back()->Start({IdOfRun(i)}));
        // Presses a few milliseconds apart, so that starts meet stops at every stage.
        usleep(static_cast<useconds_t>((i % 4) * 15000));
    }
    // While they run, every key a reader opens must hold one typed value: a write seen half
    // done is as bad as one left half done.
    std::vector<std::string> torn;
    const double deadline = brelta::test::MonotonicSeconds() + 120;
    while (!AllEnded(pids) && brelta::test::MonotonicSeconds() < deadline) {
        for (const std::string& bad : brelta::test::BrokenSettings(root, true))
            if (torn.size() < 20) torn.push_back(bad);
        usleep(2000);
    }
    EXPECT_EQ(torn, std::vector<std::string>());
    std::vector<RunResult> results;
    for (auto& run : runs) results.push_back(run->Wait(120));

    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(results[i].exited) << "run " << i << " " << IdOfRun(i);
        EXPECT_EQ(results[i].exitCode, 0) << "run " << i << " " << IdOfRun(i);
    }
    EXPECT_EQ(brelta::test::BrokenLogLines(root), std::vector<std::string>());
    EXPECT_EQ(brelta::test::BrokenSettings(root), std::vector<std::string>());
    for (const char* journal : {"notifications/journal", "apps/launches"})
        EXPECT_EQ(brelta::test::BrokenJournalLines(root, journal), std::vector<std::string>());

    // No run lost a record of its own: each one's first record and its teardown are there.
    LogRecords log = LogRecords::Load(root / "log/system");
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> texts = log.Texts(pids[i]);
        ASSERT_FALSE(texts.empty()) << "run " << i;
        EXPECT_EQ(texts.front(), std::string("start work !! => arg ") + IdOfRun(i));
        EXPECT_EQ(log.Count("work finish!! exit!!", pids[i]), 1u) << "run " << i;
    }
}

}  // namespace
