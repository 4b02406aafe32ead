// The default-gateway test run by the built tool: the popup asked for, the retries and their
// timing read from the records, the failure rows, and what a terminal shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "GatewayRetries.h"
#include "LaunchJournal.h"
#include "LogRecords.h"
#include "TaskRecords.h"
#include "TempDeviceRoot.h"
#include "TerminalRun.h"
#include "ToolRun.h"

using brelta::test::ExpectGatewayRetries;
using brelta::test::Launch;
using brelta::test::LaunchJournal;
using brelta::test::LogRecords;
using brelta::test::RunOnTerminal;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::TextsFrom;
using brelta::test::ToolRun;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

const char kId[] = "brelta.keycombination.gateway";
const std::string kPass = "<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>";
const std::string kFail = "<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>";

// The one popup request of a run.
Launch Popup(const TempDeviceRoot& root) {
    LaunchJournal journal = LaunchJournal::Load(root / "apps/launches");
    EXPECT_TRUE(journal.Broken().empty());
    EXPECT_EQ(journal.All().size(), 1u);
    return journal.All().empty() ? Launch() : journal.All()[0];
}

Extra PopupExtra(const std::string& text) {
    return {{"type", "notification"}, {"text", text}, {"timeout", "30"}};
}

std::vector<std::string> TaskTexts(const TempDeviceRoot& root) {
    return TextsFrom(LogRecords::Load(root / "log/system"), {"NW_Hidden_Key.cpp"});
}

TEST(Gateway, OverrideYesRequestsThePassPopup) {
    TempDeviceRoot root;
    root.Write("network/default_gateway", "1\n");
    RunResult r = ToolRun(root).Run({kId});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TaskTexts(root), (std::vector<std::string>{"", "", "Hidden Network Test 1",
                                                         "Succeeded to launch alert popup.", ""}));
    Launch popup = Popup(root);
    EXPECT_EQ(popup.pid, r.pid);
    EXPECT_EQ(popup.appId, "org.tizen.alert-syspopup");
    EXPECT_EQ(popup.operation, "http://tizen.org/appcontrol/operation/default");
    EXPECT_EQ(popup.extra, PopupExtra(kPass));
    EXPECT_EQ(popup.result, 0);
}

TEST(Gateway, WithoutOverrideTheHostRoutingTableAnswers) {
    // The oracle is the host's own tool, not the stand-in's reading of /proc/net/route.
    FILE* ip = popen("ip -4 route show default 2>/dev/null", "r");
    ASSERT_NE(ip, nullptr);
    std::string routes;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, ip) != nullptr) routes += buffer;
    if (pclose(ip) != 0) GTEST_SKIP() << "no ip command to tell whether this host has a route";

    TempDeviceRoot root;
    RunResult r = ToolRun(root).Run({kId});
    EXPECT_EQ(r.exitCode, 0);
    bool hasDefault = routes.find("default") != std::string::npos;
    EXPECT_EQ(Popup(root).extra, PopupExtra(hasDefault ? kPass : kFail)) << routes;
    EXPECT_NE(LogRecords::Load(root / "log/system")
                  .Find(hasDefault ? "Hidden Network Test 1" : "Hidden Network Test 0"),
              nullptr);
}

// Runs the tool while the service answers "in progress" `answers` times before it finds the
// gateway; checks the time the retries took and returns the task's records.
std::vector<std::string> RunWithInProgressAnswers(const TempDeviceRoot& root, int answers) {
    root.Write("network/default_gateway", "1");
    std::string script;
    for (int i = 0; i < answers; ++i) script += "-115 ";
    root.Fault("connection_profile_check_default_gateway", script);
    RunResult r = ToolRun(root).Run({kId});
    EXPECT_EQ(r.exitCode, 0);
    double seconds = ExpectGatewayRetries(LogRecords::Load(root / "log/system"), answers);
    ::testing::Test::RecordProperty("check_seconds", std::to_string(seconds));
    return TaskTexts(root);
}

TEST(Gateway, ThreeInProgressAnswersCostThreeSleepsThenPass) {
    TempDeviceRoot root;
    auto texts = RunWithInProgressAnswers(root, 3);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Hidden Network Test 1"), texts.end());
    EXPECT_EQ(Popup(root).extra, PopupExtra(kPass));
}

TEST(Gateway, TenInProgressAnswersEndInTheFailPopup) {
    // An eleventh check would find the gateway and turn the popup to PASS.
    TempDeviceRoot root;
    auto texts = RunWithInProgressAnswers(root, 10);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Hidden Network Test 0"), texts.end());
    EXPECT_EQ(Popup(root).extra, PopupExtra(kFail));
}

TEST(Gateway, TerminalDrawsThePopupTextInItsColour) {
    TempDeviceRoot root;
    root.Write("network/default_gateway", "1");
    std::string drawn = RunOnTerminal(root, kId);
    EXPECT_NE(drawn.find("[launch] org.tizen.alert-syspopup"), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("\x1b[1;38;2;0;0;255mNETWORK TEST : PASS\x1b[0m"), std::string::npos)
        << drawn;
    EXPECT_EQ(drawn.find("<font_size"), std::string::npos) << "mark-up tags are not shown";
}

}  // namespace
