// The default-gateway test task: the checks, their retries and the popup it asks for.
#include <gtest/gtest.h>
#include <ostra_network.h>

#include "AppControl.h"
#include "FakeTaskManager.h"
#include "HostFixture.h"
#include "LaunchJournal.h"
#include "NW_Hidden_Key.h"

using brelta::host::AppControl;
using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
using brelta::test::Launch;
using brelta::test::LaunchJournal;
using brelta::test::LogRecords;

namespace {

const std::string kPass = "<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>";
const std::string kFail = "<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>";
const std::string kInProgress =
    "Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]";

class CNWHiddenKeyTest : public HostFixture {
protected:
    // Runs the task with the override file saying `gateway` and the checks scripted.
    void Run(const char* gateway = "1", const std::string& checks = "") {
        root->Write("network/default_gateway", gateway);
        if (!checks.empty()) root->Fault("connection_profile_check_default_gateway", checks);
        ReloadFaults();
        FakeTaskManager manager("brelta.keycombination.gateway");
        CNWHiddenKey(manager).Execute("brelta.keycombination.gateway", "");
        EXPECT_EQ(manager.locks + manager.unlocks, 0) << "the task takes no exit lock";
        EXPECT_EQ(AppControl::LiveCount(), 0u);
    }
    void FreshRoot() {
        HostFixture::TearDown();
        HostFixture::SetUp();
    }
    // The one popup requested, or a failure.
    Launch Popup() {
        auto launches = LaunchJournal::Load(*root / "apps/launches").All();
        EXPECT_EQ(launches.size(), 1u);
        return launches.empty() ? Launch() : launches[0];
    }
    std::string PopupText() { return Popup().extra.size() > 1 ? Popup().extra[1].second : ""; }
    // From the records' timestamps: no sleep before the first check, one 250 ms sleep after
    // each in-progress answer (a gap may run to 500 ms on a busy machine) and none after the
    // verdict's check.
    void ExpectRetries(int answers) {
        LogRecords log = SystemLog();
        auto execute = log.ByFunction("Execute");
        auto checks = log.ByFunction("_TestNetwork");
        EXPECT_EQ(log.Count(kInProgress), static_cast<size_t>(answers));
        ASSERT_EQ(checks.size(), static_cast<size_t>(answers) + 1);
        ASSERT_FALSE(execute.empty());
        const double sleep = 0.25, slack = 0.001;  // timestamps are cut to milliseconds
        EXPECT_LT(checks[0].seconds - execute[0].seconds, sleep) << "a sleep before the first";
        for (int i = 1; i <= answers; ++i) {
            double gap = checks[i].seconds - checks[i - 1].seconds;
            EXPECT_GE(gap, sleep - slack) << "no sleep after answer " << i;
            EXPECT_LT(gap, 2 * sleep) << "two sleeps after answer " << i;
        }
    }
    static std::string InProgress(int answers) {
        std::string script;
        for (int i = 0; i < answers; ++i) script += "-115 ";
        return script;
    }
};

TEST_F(CNWHiddenKeyTest, TheFirstAnswerDecidesThePopup) {
    Run("1");
    ExpectRetries(0);
    EXPECT_EQ(PopupText(), kPass);

    FreshRoot();
    Run("0");
    EXPECT_NE(SystemLog().Find("Hidden Network Test 0"), nullptr);
    EXPECT_EQ(PopupText(), kFail);
}

TEST_F(CNWHiddenKeyTest, ThreeInProgressAnswersCostThreeQuarterSecondSleeps) {
    Run("1", InProgress(3));
    ExpectRetries(3);
    EXPECT_EQ(PopupText(), kPass);
}

TEST_F(CNWHiddenKeyTest, TenInProgressAnswersEndTheChecksWithTheFlagAsLeft) {
    // An eleventh check would find the gateway and turn the popup to PASS.
    Run("1", InProgress(10));
    ExpectRetries(10);
    EXPECT_EQ(PopupText(), kFail);
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), 0) << "the script is used up";
}

TEST_F(CNWHiddenKeyTest, AnyOtherCheckErrorFailsAtOnce) {
    // A further check would find the gateway: only the failure can make the popup FAIL.
    struct Case {
        const char* script;
        size_t inProgress;
        const char* failure;
    } cases[] = {{"-5", 0, "-5"}, {"-115 -0x1C10401", 1, "-29426689"}};
    for (const Case& c : cases) {
        FreshRoot();
        Run("1", c.script);
        LogRecords log = SystemLog();
        EXPECT_EQ(log.Count(kInProgress), c.inProgress) << c.script;
        EXPECT_NE(log.Find(std::string("Current State =>[Default Gateway Failed];Next Action "
                                       "=>[Retry]: ") +
                           c.failure),
                  nullptr)
            << c.script;
        EXPECT_EQ(PopupText(), kFail) << c.script;
        auto execute = log.ByFunction("Execute"), verdict = log.ByFunction("_TestNetwork");
        ASSERT_FALSE(execute.empty() || verdict.empty());
        EXPECT_LT(verdict.back().seconds - execute.front().seconds, c.inProgress * 0.25 + 0.25);
    }
}

TEST_F(CNWHiddenKeyTest, FailedConnectionMakesNoCheck) {
    root->Fault("connection_create", "-12");
    Run("1", "-5");
    EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"", "", "Connection create Failed",
                                                       "Succeeded to launch alert popup.", ""}));
    EXPECT_EQ(PopupText(), kFail);
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -5) << "the check was made";
}

TEST_F(CNWHiddenKeyTest, RefusedOrImpossiblePopupIsLoggedAndLeavesNoHandle) {
    root->Fault("app_control_send_launch_request", "-3");
    Run();
    EXPECT_NE(SystemLog().Find("Failed to launch alert popup"), nullptr);
    EXPECT_EQ(SystemLog().Find("Succeeded to launch alert popup."), nullptr);
    EXPECT_EQ(Popup().result, -3);

    FreshRoot();
    root->Fault("app_control_create", "-12");
    Run();
    EXPECT_NE(SystemLog().Find("Failed to launch alert popup"), nullptr);
    EXPECT_FALSE(root->Exists("apps/launches"));
}

}  // namespace
