// What a person sees when the tool runs in a terminal: the tool runs in a tmux pane, so its
// standard error is a real terminal, and the screen is read back with capture-pane.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogRecords.h"
#include "Shell.h"
#include "TempDeviceRoot.h"
#include "TmuxPane.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::Shell;
using brelta::test::TempDeviceRoot;
using brelta::test::TmuxPane;
using brelta::test::ToolRun;

namespace {

const char kEnded[] = "__tool_ended__";

// The tool on `root` in a fresh pane; returns the screen once the tool has ended.
std::string RunOnTerminal(TmuxPane& pane, const TempDeviceRoot& root, const std::string& id) {
    std::string command = "env BRELTA_DEVICE_ROOT=" + Shell::Quote(root.Path()) +
                          " DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent " +
                          Shell::Quote(ToolRun::ToolPath()) + " " + Shell::Quote(id) + "; echo " +
                          kEnded;
    if (!pane.Start(command)) return "";
    return pane.WaitFor(kEnded, 20);
}

class TerminalView : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TmuxPane::Available()) GTEST_SKIP() << "tmux is not installed";
    }
};

TEST_F(TerminalView, EveryRecordOfTheRunIsShownInOrder) {
    TempDeviceRoot root;
    TmuxPane pane(220, 50);
    std::string screen = RunOnTerminal(pane, root, "brelta.keycombination.nothing");
    ASSERT_NE(screen.find(kEnded), std::string::npos) << screen;
    LogRecords log = LogRecords::Load(root / "log/system");
    ASSERT_GE(log.All().size(), 6u);
    std::string::size_type at = 0;
    for (const auto& record : log.All()) {
        std::string line = record.time + " " + std::to_string(record.pid) + " " + record.priority +
                           "/" + record.tag + ": " + record.message;
        std::string::size_type found = screen.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\n--- screen:\n" << screen;
        at = found + line.size();
    }
}

TEST_F(TerminalView, ControlCharactersReachTheTerminalEscaped) {
    // An id that would clear the screen and colour it if it reached the terminal as it is.
    TempDeviceRoot root;
    TmuxPane pane(220, 50);
    std::string screen = RunOnTerminal(pane, root, "\x1b[2J\x1b[31mred");
    ASSERT_NE(screen.find(kEnded), std::string::npos) << screen;
    EXPECT_NE(screen.find("start work !! => arg \\x1b[2J\\x1b[31mred"), std::string::npos)
        << screen;
    EXPECT_NE(screen.find("own bus \\x1b[2J\\x1b[31mred"), std::string::npos) << screen;
}

TEST_F(TerminalView, NothingIsDrawnWhenStandardErrorIsNotATerminal) {
    TempDeviceRoot root;
    auto r = ToolRun(root).Run({"brelta.keycombination.nothing"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.find("BRELTA_TEST_TOOL"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
