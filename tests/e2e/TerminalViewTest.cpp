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

// The tool on `root` in a fresh pane; returns the screen once it shows `until` (by default,
// once the tool has ended).
std::string RunOnTerminal(TmuxPane& pane, const TempDeviceRoot& root, const std::string& id,
                          const std::string& until = kEnded) {
    std::string command = "env BRELTA_DEVICE_ROOT=" + Shell::Quote(root.Path()) +
                          " DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent " +
                          Shell::Quote(ToolRun::ToolPath()) + " " + Shell::Quote(id) + "; echo " +
                          kEnded;
    if (!pane.Start(command)) return "";
    return pane.WaitFor(until, 20);
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

#if __has_include("../../test-tool/src/CTCPDumpTask.h")
TEST_F(TerminalView, AToastIsDrawnAsABoxWithItsDefaultButtonMarked) {
    TempDeviceRoot root;
    TmuxPane pane(120, 60);
    std::string screen = RunOnTerminal(pane, root, "brelta.keycombination.tcpdumpstart", "[>OK<]");
    // The box: its frame with the id, the title, the content and the one button, the default.
    for (const char* line : {"┌─ notification 1 ─", "│ TCP Dump tool",
                             "│ tcp dump and ts dump start successfully", "│ [>OK<]", "└──"})
        EXPECT_NE(screen.find(line), std::string::npos) << line << "\n--- screen:\n" << screen;
    EXPECT_LT(screen.find("│ TCP Dump tool"), screen.find("│ [>OK<]"));
}
#endif

#if __has_include("../../test-tool/src/NW_Hidden_Key.h")
TEST_F(TerminalView, TheAlertPopupOfALaunchIsDrawnInItsMarkupColour) {
    struct Case {
        const char* gateway;
        const char* coloured;  // the SGR sequence of the mark-up's colour, then the text
    };
    const Case cases[] = {{"1", "\x1b[38;2;0;0;255mNETWORK TEST : PASS"},
                          {"0", "\x1b[38;2;255;0;0mNETWORK TEST : FAIL"}};
    for (const Case& c : cases) {
        TempDeviceRoot root;
        root.Write("network/default_gateway", std::string(c.gateway) + "\n");
        TmuxPane pane(160, 60);
        RunOnTerminal(pane, root, "brelta.keycombination.gateway", "NETWORK TEST");
        std::string screen = pane.Capture(true);
        EXPECT_NE(screen.find("[launch] org.tizen.alert-syspopup"), std::string::npos) << screen;
        EXPECT_NE(screen.find(c.coloured), std::string::npos) << screen;
    }
}
#endif

TEST_F(TerminalView, NothingIsDrawnWhenStandardErrorIsNotATerminal) {
    TempDeviceRoot root;
    auto r = ToolRun(root).Run({"brelta.keycombination.nothing"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.find("BRELTA_TEST_TOOL"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
