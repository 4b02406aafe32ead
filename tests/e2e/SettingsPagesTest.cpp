// The four settings-page ids run by the built tool: the page asked for, the keys written, and
// the exit delay.
#include <gtest/gtest.h>

#include "LaunchJournal.h"
#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LaunchJournal;
using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

struct Page {
    const char* id;
    const char* name;
    const char* selector;
    std::string wireless;  // content of the two keys after the run
    std::string rse;
};

void PrintTo(const Page& page, std::ostream* out) {
    *out << page.id;
}

class SettingsPagesTest : public ::testing::TestWithParam<Page> {};

TEST_P(SettingsPagesTest, OpensItsPageAndEndsAfterTheExitDelay) {
    const Page& page = GetParam();
    TempDeviceRoot root;
    RunResult r = ToolRun(root).Run({page.id});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_GE(r.seconds, 4.5);
    LogRecords log = LogRecords::Load(root / "log/system");
    EXPECT_NE(log.Find("Launch    NetworkSettings app succ."), nullptr);
    EXPECT_NE(log.Find("EXITING in 5 seconds ..."), nullptr);
    EXPECT_EQ(root.Setting("db/network/LaunchNWWireless"), page.wireless);
    EXPECT_EQ(root.Setting("db/menu/network/eu_wifi_reg_test_mode"), page.rse);

    LaunchJournal journal = LaunchJournal::Load(root / "apps/launches");
    ASSERT_EQ(journal.All().size(), 1u);
    const auto& launch = journal.All()[0];
    EXPECT_EQ(launch.pid, r.pid);
    EXPECT_EQ(launch.appId, "org.tizen.NetworkSetting-Tizen");
    EXPECT_FALSE(launch.operation.has_value());
    EXPECT_EQ(launch.extra, (Extra{{"NW_TEST_FUNCTION_FROM_JSON", page.selector}}));
    EXPECT_EQ(launch.result, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SettingsPagesTest,
    ::testing::Values(
        Page{"brelta.keycombination.WiFiList", "WiFiList", "LAUNCH_WIFI_LIST_PAGE", "int 1\n", ""},
        Page{"brelta.keycombination.nwerrorpopup", "ErrorPopup", "LAUNCH_NW_ERROR_POPUP", "", ""},
        Page{"brelta.keycombination.ndf", "NDF", "LAUNCH_NDF_POPUP", "", ""},
        Page{"brelta.keycombination.rse", "RSE", "LAUNCH_EU_REGULATION_TEST_POPUP", "",
             "bool 1\n"}),
    [](const ::testing::TestParamInfo<Page>& info) { return std::string(info.param.name); });

}  // namespace
