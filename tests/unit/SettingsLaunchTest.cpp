// The settings-page tasks and their shared launch, where things go wrong. The pages asked for
// when all goes well are checked end to end (e2e/SettingsPagesTest.cpp).
#include <gtest/gtest.h>

#include "AppControl.h"
#include "CEURegulationRSE.h"
#include "CNWWiFiList.h"
#include "FakeTaskManager.h"
#include "HostFixture.h"
#include "LaunchJournal.h"
#include "TestUtil.h"

using brelta::host::AppControl;
using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
using brelta::test::Launch;
using brelta::test::LaunchJournal;

namespace {

const char kWirelessKey[] = "db/network/LaunchNWWireless";
const char kRseKey[] = "db/menu/network/eu_wifi_reg_test_mode";

class SettingsLaunchTest : public HostFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(AppControl::LiveCount(), 0u) << "a handle was not destroyed";
        HostFixture::TearDown();
    }
    void FreshRoot() {
        HostFixture::TearDown();
        HostFixture::SetUp();
    }
    // Runs a task as the task manager would, with `commandId` as the run's command id.
    template <typename Task>
    void Run(const std::string& commandId) {
        FakeTaskManager manager(commandId);
        Task(manager).Execute(commandId, "");
        EXPECT_EQ(manager.locks + manager.unlocks, 0) << "a task took an exit lock";
    }
    std::vector<Launch> Launches() const {
        return LaunchJournal::Load(*root / "apps/launches").All();
    }
};

TEST_F(SettingsLaunchTest, FailedKeyWriteStillOpensThePage) {
    root->Fault("vconf_set_int", "-1");
    ReloadFaults();
    Run<CNWWiFiList>("brelta.keycombination.WiFiList");
    EXPECT_EQ(root->Setting(kWirelessKey), "");
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].extra.at(0).second, "LAUNCH_WIFI_LIST_PAGE");

    FreshRoot();
    root->Fault("vconf_set_bool", "-5");
    ReloadFaults();
    Run<CEURegulationRSE>("brelta.keycombination.rse");
    EXPECT_EQ(root->Setting(kRseKey), "");
    EXPECT_NE(SystemLog().Find("change rse vconf value(ret is -5)"), nullptr);
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].extra.at(0).second, "LAUNCH_EU_REGULATION_TEST_POPUP");
}

TEST_F(SettingsLaunchTest, RegulationPopupOnlyForItsOwnCommandId) {
    for (const char* id : {"brelta.keycombination.ndf", "", "brelta.keycombination.rse "}) {
        FreshRoot();
        Run<CEURegulationRSE>(id);
        // The constructor's, Execute's and the destructor's empty records, nothing more.
        EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"", "", ""})) << "'" << id << "'";
        EXPECT_EQ(root->Setting(kRseKey), "");
        EXPECT_FALSE(root->Exists("apps/launches"));
    }
}

TEST_F(SettingsLaunchTest, LaunchFailuresEndTheLaunchAndReleaseTheHandle) {
    // No handle: nothing is logged and nothing sent.
    root->Fault("app_control_create", "-12");
    ReloadFaults();
    CTestUtil::LaunchNetworkSettings("LAUNCH_NDF_POPUP");
    EXPECT_TRUE(SystemTexts().empty());
    EXPECT_FALSE(root->Exists("apps/launches"));

    // The page cannot be named: logged, nothing sent, handle destroyed.
    FreshRoot();
    root->Fault("app_control_add_extra_data", "-22");
    ReloadFaults();
    CTestUtil::LaunchNetworkSettings("LAUNCH_NDF_POPUP");
    EXPECT_EQ(SystemTexts(),
              (std::vector<std::string>{"Can not add extra data. ret_add_data = [-22]"}));
    EXPECT_FALSE(root->Exists("apps/launches"));
    EXPECT_EQ(AppControl::LiveCount(), 0u);

    // Refused: logged with its result, which the journal carries too.
    FreshRoot();
    root->Fault("app_control_send_launch_request", "-0x1100021");
    ReloadFaults();
    CTestUtil::LaunchNetworkSettings("LAUNCH_NDF_POPUP");
    EXPECT_EQ(SystemTexts(),
              (std::vector<std::string>{"Launch    NetworkSettings app failed. : -17825825"}));
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].result, -0x1100021);
}

}  // namespace
