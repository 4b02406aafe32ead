// What a person sees when the tool runs in a terminal: the tool runs in a tmux pane, so its
// standard error is a real terminal, and the screen is read back.
#include <gtest/gtest.h>

#include <string>

#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "TmuxPane.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::TempDeviceRoot;
using brelta::test::TmuxPane;
using brelta::test::ToolRun;

namespace {

// The screen of the tool run on `root` once it shows `until` (by default, once the tool ended).
std::string Screen(const TempDeviceRoot& root, const std::string& id, int width, int height,
                   const std::string& until = TmuxPane::kEnded, bool attributes = false) {
    TmuxPane pane({"env", "BRELTA_DEVICE_ROOT=" + root.Path(),
                   "DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent", ToolRun::ToolPath(), id},
                  width, height);
    return pane.WaitFor(until, 20, attributes);
}

class TerminalView : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TmuxPane::Available()) GTEST_SKIP() << "tmux is not installed";
    }
};

TEST_F(TerminalView, EveryRecordIsShownInOrderWithControlCharactersEscaped) {
    // An id that would clear the screen and colour it if it reached the terminal as it is.
    TempDeviceRoot root;
    std::string screen = Screen(root, "\x1b[2J\x1b[31mred", 220, 50);
    ASSERT_NE(screen.find(TmuxPane::kEnded), std::string::npos) << screen;
    EXPECT_NE(screen.find("start work !! => arg \\x1b[2J\\x1b[31mred"), std::string::npos)
        << screen;
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

#if __has_include("../../test-tool/src/CTCPDumpTask.h")
TEST_F(TerminalView, AToastIsDrawnAsABoxWithItsDefaultButtonMarked) {
    TempDeviceRoot root;
    std::string screen = Screen(root, "brelta.keycombination.tcpdumpstart", 120, 60, "[>OK<]");
    const std::string press = "brelta-device --root '" + root.Path() + "' toast press 1 1";
    for (const std::string& line :
         {std::string("┌─ notification 1 ─"), std::string("│ TCP Dump tool"),
          std::string("│ tcp dump and ts dump start successfully"), std::string("│ [>OK<]"),
          std::string("└──"), press})
        EXPECT_NE(screen.find(line), std::string::npos) << line << "\n--- screen:\n" << screen;
    EXPECT_LT(screen.find("│ TCP Dump tool"), screen.find("│ [>OK<]"));
}
#endif

#if __has_include("../../test-tool/src/NW_Hidden_Key.h")
TEST_F(TerminalView, TheAlertPopupOfALaunchIsDrawnInItsMarkupColour) {
    TempDeviceRoot root;
    root.Write("network/default_gateway", "0\n");
    std::string screen =
        Screen(root, "brelta.keycombination.gateway", 160, 60, "NETWORK TEST", true);
    EXPECT_NE(screen.find("[launch] org.tizen.alert-syspopup"), std::string::npos) << screen;
    EXPECT_NE(screen.find("\x1b[38;2;255;0;0mNETWORK TEST : FAIL"), std::string::npos) << screen;
}
#endif

TEST_F(TerminalView, NothingIsDrawnWhenStandardErrorIsNotATerminal) {
    TempDeviceRoot root;
    auto r = ToolRun(root).Run({"brelta.keycombination.nothing"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
}

}  // namespace
