// The four settings-page ids run by the built tool: records, settings files, launch journal.
#include <gtest/gtest.h>

#include "LaunchJournal.h"
#include "LogRecords.h"
#include "TaskRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LaunchJournal;
using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::TextsFrom;
using brelta::test::ToolRun;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

const char kWirelessKey[] = "db/network/LaunchNWWireless";
const char kRseKey[] = "db/menu/network/eu_wifi_reg_test_mode";

struct Page {
    const char* id;
    const char* className;
    std::vector<std::string> execute;  // the task's records between the two exit-lock records
    const char* selector;
    std::string wireless;  // content of the two keys after the run
    std::string rse;
};

// Names the case by its command id in test listings.
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
    EXPECT_TRUE(log.Broken().empty());
    std::vector<std::string> expected{"", "lOCK ++ 1"};
    expected.insert(expected.end(), page.execute.begin(), page.execute.end());
    expected.insert(expected.end(), {"UNLOCK -- 0", "EXITING in 5 seconds ...", "EXITING.", ""});
    EXPECT_EQ(
        TextsFrom(log, {std::string(page.className) + ".cpp", "TestUtil.cpp", "CTaskManager.cpp"}),
        expected);

    EXPECT_EQ(root.Setting(kWirelessKey), page.wireless);
    EXPECT_EQ(root.Setting(kRseKey), page.rse);

    LaunchJournal journal = LaunchJournal::Load(root / "apps/launches");
    EXPECT_TRUE(journal.Broken().empty());
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
        Page{"brelta.keycombination.WiFiList",
             "CNWWiFiList",
             {"+++++  Inside launchCNWWiFiList", "Launch    NetworkSettings app succ."},
             "LAUNCH_WIFI_LIST_PAGE",
             "int 1\n",
             ""},
        Page{"brelta.keycombination.nwerrorpopup",
             "CNWErrorPopup",
             {"+++++  Inside launchCNWErrorPopup", "Launch    NetworkSettings app succ."},
             "LAUNCH_NW_ERROR_POPUP",
             "",
             ""},
        Page{"brelta.keycombination.ndf",
             "CNDFPopup",
             {"+++++  Inside launchNS", "Launch    NetworkSettings app succ."},
             "LAUNCH_NDF_POPUP",
             "",
             ""},
        Page{"brelta.keycombination.rse",
             "CEURegulationRSE",
             {"", "change rse vconf value(ret is 0)", "Launch    NetworkSettings app succ."},
             "LAUNCH_EU_REGULATION_TEST_POPUP",
             "",
             "bool 1\n"}),
    [](const ::testing::TestParamInfo<Page>& info) { return std::string(info.param.className); });

}  // namespace
