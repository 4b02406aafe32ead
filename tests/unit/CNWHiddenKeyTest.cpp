// The default-gateway test task: the checks, their retries and the popup it asks for.
#include <app_control.h>
#include <gtest/gtest.h>
#include <ostra_network.h>

#include "AppControl.h"
#include "FakeTaskManager.h"
#include "GatewayRetries.h"
#include "HostFixture.h"
#include "LaunchJournal.h"
#include "NW_Hidden_Key.h"

using brelta::host::AppControl;
using brelta::test::ExpectGatewayRetries;
using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
using brelta::test::Launch;
using brelta::test::LaunchJournal;
using brelta::test::LogRecords;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

const std::string kPass = "<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>";
const std::string kFail = "<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>";
const std::string kInProgress =
    "Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]";

class CNWHiddenKeyTest : public HostFixture {
protected:
    void Run() {
        FakeTaskManager manager("brelta.keycombination.gateway");
        {
            CNWHiddenKey task(manager);
            task.Execute("brelta.keycombination.gateway", "");
        }
        EXPECT_EQ(manager.locks + manager.unlocks, 0) << "the task takes no exit lock";
        EXPECT_EQ(AppControl::LiveCount(), 0u);
    }
    // Runs the task while the service answers "in progress" `answers` times before it finds
    // the gateway, and checks the time the retries took.
    void RunWithInProgressAnswers(int answers) {
        root->Write("network/default_gateway", "1");
        std::string script;
        for (int i = 0; i < answers; ++i) script += "-115 ";
        root->Fault("connection_profile_check_default_gateway", script);
        ReloadFaults();
        Run();
        ExpectGatewayRetries(SystemLog(), answers);
    }
    // Another case within the same test: a new device root, no fault scripts.
    void FreshRoot() {
        HostFixture::TearDown();
        HostFixture::SetUp();
    }
    // The one popup requested, or a failure.
    Launch Popup() {
        LaunchJournal journal = LaunchJournal::Load(*root / "apps/launches");
        EXPECT_TRUE(journal.Broken().empty());
        EXPECT_EQ(journal.All().size(), 1u);
        return journal.All().empty() ? Launch() : journal.All()[0];
    }
    static std::string PopupText(const Launch& launch) {
        for (const auto& entry : launch.extra)
            if (entry.first == "text") return entry.second;
        return "";
    }
    // Seconds between the task's start and its verdict, from the records' timestamps.
    double CheckSeconds() {
        LogRecords log = SystemLog();
        auto execute = log.ByFunction("Execute");
        auto verdict = log.ByFunction("_TestNetwork");
        if (execute.empty() || verdict.empty()) return -1;
        return verdict.back().seconds - execute.front().seconds;
    }
};

TEST_F(CNWHiddenKeyTest, GatewayOnFirstAnswerAsksForThePassPopup) {
    root->Write("network/default_gateway", "1");
    Run();
    LogRecords log = SystemLog();
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"", "", "Hidden Network Test 1",
                                                     "Succeeded to launch alert popup.", ""}));
    const auto& records = log.All();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].function, "CNWHiddenKey");
    EXPECT_EQ(records[1].function, "Execute");
    EXPECT_EQ(records[3].function, "ShowPopup");
    EXPECT_EQ(records[4].function, "~CNWHiddenKey");
    for (const auto& r : records) EXPECT_EQ(r.file, "NW_Hidden_Key.cpp");
    ExpectGatewayRetries(log, 0);

    Launch popup = Popup();
    EXPECT_EQ(popup.appId, "org.tizen.alert-syspopup");
    EXPECT_EQ(popup.operation, APP_CONTROL_OPERATION_DEFAULT);
    EXPECT_EQ(popup.extra, (Extra{{"type", "notification"}, {"text", kPass}, {"timeout", "30"}}));
}

TEST_F(CNWHiddenKeyTest, NoGatewayAsksForTheFailPopup) {
    root->Write("network/default_gateway", "0");
    Run();
    EXPECT_NE(SystemLog().Find("Hidden Network Test 0"), nullptr);
    EXPECT_EQ(PopupText(Popup()), kFail);
}

TEST_F(CNWHiddenKeyTest, ThreeInProgressAnswersCostThreeQuarterSecondSleeps) {
    RunWithInProgressAnswers(3);
    EXPECT_NE(SystemLog().Find("Hidden Network Test 1"), nullptr);
    EXPECT_EQ(PopupText(Popup()), kPass);
}

TEST_F(CNWHiddenKeyTest, TenInProgressAnswersEndTheChecksWithTheFlagAsLeft) {
    // An eleventh check would find the gateway and turn the popup to PASS.
    RunWithInProgressAnswers(10);
    EXPECT_NE(SystemLog().Find("Hidden Network Test 0"), nullptr);
    EXPECT_EQ(PopupText(Popup()), kFail);
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), 0) << "the script is used up";
}

TEST_F(CNWHiddenKeyTest, AnyOtherCheckErrorFailsAtOnce) {
    struct Case {
        const char* script;
        size_t inProgress;
        const char* failure;
    } cases[] = {{"-5", 0, "-5"}, {"-115 -0x1C10401", 1, "-29426689"}};
    for (const Case& c : cases) {
        FreshRoot();
        // A further check would find the gateway: only the failure can make the popup FAIL.
        root->Write("network/default_gateway", "1");
        root->Fault("connection_profile_check_default_gateway", c.script);
        ReloadFaults();
        Run();
        LogRecords log = SystemLog();
        EXPECT_EQ(log.Count(kInProgress), c.inProgress) << c.script;
        EXPECT_NE(log.Find(std::string("Current State =>[Default Gateway Failed];Next Action "
                                       "=>[Retry]: ") +
                           c.failure),
                  nullptr)
            << c.script;
        EXPECT_NE(log.Find("Hidden Network Test 0"), nullptr) << c.script;
        EXPECT_EQ(PopupText(Popup()), kFail) << c.script;
        EXPECT_LT(CheckSeconds(), c.inProgress * 0.25 + 0.25) << c.script;
    }
}

TEST_F(CNWHiddenKeyTest, FailedConnectionMakesNoCheck) {
    root->Write("network/default_gateway", "1");
    root->Fault("connection_create", "-12");
    root->Fault("connection_profile_check_default_gateway", "-5");
    ReloadFaults();
    Run();
    EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"", "", "Connection create Failed",
                                                       "Succeeded to launch alert popup.", ""}));
    EXPECT_EQ(PopupText(Popup()), kFail);
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -5) << "the check was made";
}

TEST_F(CNWHiddenKeyTest, RefusedOrImpossiblePopupIsLoggedAndLeavesNoHandle) {
    root->Write("network/default_gateway", "1");
    root->Fault("app_control_send_launch_request", "-3");
    ReloadFaults();
    Run();
    EXPECT_NE(SystemLog().Find("Failed to launch alert popup"), nullptr);
    EXPECT_EQ(SystemLog().Find("Succeeded to launch alert popup."), nullptr);
    Launch popup = Popup();
    EXPECT_EQ(popup.result, -3);
    EXPECT_EQ(PopupText(popup), kPass);

    FreshRoot();
    root->Write("network/default_gateway", "1");
    root->Fault("app_control_create", "-12");
    ReloadFaults();
    Run();
    EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"", "", "Hidden Network Test 1",
                                                       "Failed to launch alert popup", ""}));
    EXPECT_FALSE(root->Exists("apps/launches"));
}

}  // namespace
