// Application control of the host platform: handles, the launch journal, scripted faults and
// what a terminal shows of a launch.
#include <app_control.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "AppControl.h"
#include "HostFixture.h"
#include "LaunchJournal.h"

using brelta::host::AppControl;
using brelta::test::HostFixture;
using brelta::test::Launch;
using brelta::test::LaunchJournal;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

class AppControlTest : public HostFixture {
protected:
    void TearDown() override {
        EXPECT_EQ(AppControl::LiveCount(), 0u) << "a test left a handle behind";
        HostFixture::TearDown();
    }
    std::vector<Launch> Launches() const {
        LaunchJournal journal = LaunchJournal::Load(*root / "apps/launches");
        EXPECT_TRUE(journal.Broken().empty());
        return journal.All();
    }
};

TEST_F(AppControlTest, LaunchIsJournalledWithItsExtraDataInOrder) {
    app_control_h h = nullptr;
    ASSERT_EQ(app_control_create(&h), APP_CONTROL_ERROR_NONE);
    // Without an application id the request fails, and is journalled all the same.
    EXPECT_EQ(app_control_send_launch_request(h, nullptr, nullptr),
              APP_CONTROL_ERROR_APP_NOT_FOUND);
    EXPECT_EQ(app_control_set_operation(h, APP_CONTROL_OPERATION_DEFAULT), 0);
    EXPECT_EQ(app_control_set_app_id(h, "org.example.viewer"), 0);
    EXPECT_EQ(app_control_add_extra_data(h, "b", "2"), 0);
    EXPECT_EQ(app_control_add_extra_data(h, "a", "line\none \"quoted\" \xc3\xa9"), 0);
    // A repeated key replaces its value where it first stood.
    EXPECT_EQ(app_control_add_extra_data(h, "b", "3"), 0);
    EXPECT_EQ(app_control_add_extra_data(h, "empty", ""), 0);
    EXPECT_EQ(app_control_send_launch_request(h, nullptr, nullptr), APP_CONTROL_ERROR_NONE);
    EXPECT_EQ(app_control_destroy(h), APP_CONTROL_ERROR_NONE);

    auto launches = Launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_FALSE(launches[0].appId.has_value());
    EXPECT_EQ(launches[0].result, APP_CONTROL_ERROR_APP_NOT_FOUND);
    EXPECT_EQ(launches[1].pid, getpid());
    EXPECT_EQ(launches[1].appId, "org.example.viewer");
    EXPECT_EQ(launches[1].operation, APP_CONTROL_OPERATION_DEFAULT);
    EXPECT_EQ(launches[1].extra,
              (Extra{{"b", "3"}, {"a", "line\none \"quoted\" \xc3\xa9"}, {"empty", ""}}));
    EXPECT_EQ(launches[1].result, 0);
}

TEST_F(AppControlTest, ScriptedFaultsFailTheCallWithoutEffect) {
    root->Fault("app_control_create", "-12 0");
    root->Fault("app_control_add_extra_data", "0 -22");
    root->Fault("app_control_set_app_id", "-5");
    root->Fault("app_control_send_launch_request", "-0x1100024");
    ReloadFaults();

    app_control_h h = nullptr;
    EXPECT_EQ(app_control_create(&h), -12);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(app_control_create(&h), 0);
    EXPECT_EQ(app_control_add_extra_data(h, "kept", "1"), 0);
    EXPECT_EQ(app_control_add_extra_data(h, "dropped", "2"), -22);
    EXPECT_EQ(app_control_set_app_id(h, "org.example.lost"), -5);
    EXPECT_EQ(app_control_set_app_id(h, "org.example.viewer"), 0);
    // A refused launch is still journalled, with the result the caller got.
    EXPECT_EQ(app_control_send_launch_request(h, nullptr, nullptr), -0x1100024);
    app_control_destroy(h);

    auto launches = Launches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].result, -0x1100024);
    EXPECT_EQ(launches[0].appId, "org.example.viewer");
    EXPECT_EQ(launches[0].extra, (Extra{{"kept", "1"}}));
}

TEST_F(AppControlTest, UnknownHandlesAndBadArgumentsAreRefused) {
    const int bad = APP_CONTROL_ERROR_INVALID_PARAMETER;
    app_control_h h = nullptr;
    ASSERT_EQ(app_control_create(&h), 0);
    EXPECT_EQ(app_control_destroy(h), 0);
    // h is now stale; neither it nor a made-up pointer may be touched.
    for (app_control_h unknown : {h, reinterpret_cast<app_control_h>(&h)}) {
        EXPECT_EQ(app_control_add_extra_data(unknown, "k", "v"), bad);
        EXPECT_EQ(app_control_send_launch_request(unknown, nullptr, nullptr), bad);
        EXPECT_EQ(app_control_destroy(unknown), bad);
    }
    EXPECT_FALSE(root->Exists("apps/launches"));
}

TEST_F(AppControlTest, TerminalShowsThePageTheAlertTextInColourAndRefusals) {
    app_control_s page;
    page.hasAppId = true;
    page.appId = "org.tizen.NetworkSetting-Tizen";
    page.extra = {{"NW_TEST_FUNCTION_FROM_JSON", "LAUNCH_NDF_POPUP"}};
    EXPECT_EQ(AppControl::Describe(page, 0, true),
              "[launch] org.tizen.NetworkSetting-Tizen\n    settings page LAUNCH_NDF_POPUP\n");
    app_control_s alert;
    alert.hasAppId = true;
    alert.appId = "org.tizen.alert-syspopup";
    alert.extra = {{"text", "<font_size=70 color=#FF0000><align=center>FAIL</align>"}};
    std::string shown = AppControl::Describe(alert, -7, true);
    EXPECT_NE(shown.find("org.tizen.alert-syspopup refused: -7\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\x1b[1;38;2;255;0;0mFAIL\x1b[0m"), std::string::npos) << shown;
    // A request cannot steer the terminal: control characters are shown escaped.
    app_control_s hostile;
    hostile.extra = {{"k\x1b", "\x1b[2J"}};
    EXPECT_EQ(AppControl::Describe(hostile, 0, true),
              "[launch] (no application id)\n    k\\x1b = \\x1b[2J\n");
}

}  // namespace
