// Many runs of the tool at once on one device root, capture starts and stops interleaved with
// the other commands: every run ends with 0 and nothing the runs share is lost or torn.
// BRELTA_CONCURRENT_RUNS sets the number of runs (default 12), e.g.
// BRELTA_CONCURRENT_RUNS=30 build/bin/brelta_e2e_tests --gtest_filter='Concurrency.*'.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "LogRecords.h"
#include "SettingsStore.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::MonotonicSeconds;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace fs = std::filesystem;

namespace {

// Mostly starts and stops of the capture, which share the most state. The MDT command is left
// out: its exit delay is two minutes.
const char* IdOfRun(int i) {
    static const char* const kCycle[] = {
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.tcpdumpstop",
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.gateway",
        "brelta.keycombination.tcpdumpstop",  "brelta.keycombination.WiFiList",
        "brelta.keycombination.tcpdumpstart", "brelta.keycombination.rse",
        "brelta.keycombination.tcpdumpstop",  "brelta.keycombination.wifilow",
        "brelta.keycombination.nwerrorpopup", "brelta.keycombination.unknown",
    };
    return kCycle[i % std::size(kCycle)];
}

// Settings files that are not one typed value; while runs still write (`writersActive`),
// their temporary files are passed over.
std::vector<std::string> BrokenSettings(const TempDeviceRoot& root, bool writersActive) {
    std::vector<std::string> broken;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root / "settings", error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string relative = fs::relative(it->path(), root / "settings").string();
        if (it->path().filename().string()[0] == '.') {
            if (!writersActive) broken.push_back(relative + ": temporary file left behind");
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        if (!in) continue;  // replaced between the listing and the read
        const std::string content{std::istreambuf_iterator<char>(in), {}};
        brelta::host::SettingType type;
        std::string value;
        if (!brelta::host::SettingsStore::Parse(content, &type, &value))
            broken.push_back(relative + ": " + content.substr(0, 80));
    }
    return broken;
}

// True when every process has ended; none is reaped, so ToolRun::Wait still collects them.
bool AllEnded(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) {
        siginfo_t info = {};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == 0)
            return false;
    }
    return true;
}

TEST(Concurrency, ManyRunsAtOnceOnOneRootEndCleanlyAndLeaveEverythingWhole) {
    TempDeviceRoot root;
    root.SetSetting("db/menu_widget/language", "string", "en_US.UTF-8");
    root.SetSetting("db/menu_widget/regionformat", "string", "en_GB.UTF-8");
    root.Write("network/default_gateway", "1");
    root.Write("usb/devices", root / "usb/stick" + "\tStick\n");

    const char* text = std::getenv("BRELTA_CONCURRENT_RUNS");
    const int count = text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 12;
    std::vector<std::unique_ptr<ToolRun>> runs;
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        runs.push_back(std::make_unique<ToolRun>(root));
        pids.push_back(runs.back()->Start({IdOfRun(i)}));
        usleep(static_cast<useconds_t>((i % 4) * 15000));  // starts meet stops at every stage
    }
    // While they run, every key a reader opens must hold one typed value.
    std::vector<std::string> torn;
    for (double deadline = MonotonicSeconds() + 120;
         !AllEnded(pids) && MonotonicSeconds() < deadline && torn.size() < 20; usleep(2000))
        for (const std::string& bad : BrokenSettings(root, true)) torn.push_back(bad);
    EXPECT_EQ(torn, std::vector<std::string>());
    for (int i = 0; i < count; ++i) {
        RunResult r = runs[i]->Wait(120);
        EXPECT_TRUE(r.exited && r.exitCode == 0) << "run " << i << " " << IdOfRun(i);
    }
    EXPECT_EQ(BrokenSettings(root, false), std::vector<std::string>());
    for (const char* journal : {"notifications/journal", "apps/launches"}) {
        std::istringstream lines(root.Exists(journal) ? root.Read(journal) : "");
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(nlohmann::json::parse(line, nullptr, false).is_object())
                << journal << ": " << line;
    }
    EXPECT_EQ(LogRecords::Load(root / "log/main").Broken(), std::vector<std::string>());
    // No run lost a record of its own: each one's first record and its teardown are there.
    LogRecords log = LogRecords::Load(root / "log/system");
    EXPECT_EQ(log.Broken(), std::vector<std::string>());
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> texts = log.Texts(pids[i]);
        ASSERT_FALSE(texts.empty()) << "run " << i;
        EXPECT_EQ(texts.front(), std::string("start work !! => arg ") + IdOfRun(i));
        EXPECT_EQ(log.Count("work finish!! exit!!", pids[i]), 1u) << "run " << i;
    }
}

}  // namespace
