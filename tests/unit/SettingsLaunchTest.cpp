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
using Texts = std::vector<std::string>;

namespace {

class SettingsLaunchTest : public HostFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(AppControl::LiveCount(), 0u) << "a handle was not destroyed";
        HostFixture::TearDown();
    }
    void FreshRoot(const std::string& function = "", const std::string& script = "") {
        HostFixture::TearDown();
        HostFixture::SetUp();
        if (!function.empty()) root->Fault(function, script);
        ReloadFaults();
    }
    template <typename Task>
    void Run(const std::string& commandId) {
        FakeTaskManager manager(commandId);
        Task(manager).Execute(commandId, "");
    }
    std::vector<Launch> Launches() const {
        return LaunchJournal::Load(*root / "apps/launches").All();
    }
    // The selector of the one page opened ("" when none or several).
    std::string Page() const {
        auto launches = Launches();
        return launches.size() == 1 && !launches[0].extra.empty() ? launches[0].extra[0].second
                                                                  : "";
    }
};

TEST_F(SettingsLaunchTest, FailedKeyWriteStillOpensThePage) {
    FreshRoot("vconf_set_int", "-1");
    Run<CNWWiFiList>("brelta.keycombination.WiFiList");
    EXPECT_EQ(root->Setting("db/network/LaunchNWWireless"), "");
    EXPECT_EQ(Page(), "LAUNCH_WIFI_LIST_PAGE");

    FreshRoot("vconf_set_bool", "-5");
    Run<CEURegulationRSE>("brelta.keycombination.rse");
    EXPECT_EQ(root->Setting("db/menu/network/eu_wifi_reg_test_mode"), "");
    EXPECT_NE(SystemLog().Find("change rse vconf value(ret is -5)"), nullptr);
    EXPECT_EQ(Page(), "LAUNCH_EU_REGULATION_TEST_POPUP");
}

TEST_F(SettingsLaunchTest, RegulationPopupOnlyForItsOwnCommandId) {
    for (const char* id : {"brelta.keycombination.ndf", "", "brelta.keycombination.rse "}) {
        FreshRoot();
        Run<CEURegulationRSE>(id);
        EXPECT_EQ(SystemTexts(), (Texts{"", "", ""})) << "'" << id << "'";
        EXPECT_FALSE(root->Exists("apps/launches")) << "'" << id << "'";
    }
}

TEST_F(SettingsLaunchTest, LaunchFailuresEndTheLaunchAndReleaseTheHandle) {
    struct Case {
        const char* function;
        const char* script;
        Texts logged;
        size_t launches;
    } cases[] = {
        {"app_control_create", "-12", {}, 0},
        {"app_control_add_extra_data", "-22", {"Can not add extra data. ret_add_data = [-22]"}, 0},
        {"app_control_send_launch_request",
         "-0x1100021",
         {"Launch    NetworkSettings app failed. : -17825825"},
         1},
    };
    for (const Case& c : cases) {
        FreshRoot(c.function, c.script);
        CTestUtil::LaunchNetworkSettings("LAUNCH_NDF_POPUP");
        EXPECT_EQ(SystemTexts(), c.logged) << c.function;
        EXPECT_EQ(Launches().size(), c.launches) << c.function;
        EXPECT_EQ(AppControl::LiveCount(), 0u) << c.function;
    }
    EXPECT_EQ(Launches()[0].result, -0x1100021);
}

}  // namespace
