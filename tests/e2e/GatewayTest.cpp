// The default-gateway test run by the built tool: the popup asked for, from the override file
// and from the host's own routing table. Retries and failures are checked in-process.
#include <gtest/gtest.h>

#include <cstdio>

#include "LaunchJournal.h"
#include "LogRecords.h"
#include "TaskRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::Launch;
using brelta::test::LaunchJournal;
using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::TextsFrom;
using brelta::test::ToolRun;
using Extra = std::vector<std::pair<std::string, std::string>>;

namespace {

const char kId[] = "brelta.keycombination.gateway";

Extra PopupExtra(const char* verdict, const char* colour) {
    return {{"type", "notification"},
            {"text", std::string("<font_size=70 color=#") + colour +
                         "><align=center>NETWORK TEST : " + verdict + "</align>"},
            {"timeout", "30"}};
}

// Runs the tool; the one popup request of the run.
Launch RunForPopup(const TempDeviceRoot& root, RunResult* r) {
    *r = ToolRun(root).Run({kId});
    EXPECT_EQ(r->exitCode, 0);
    EXPECT_GE(r->seconds, 4.5) << "ended before its exit delay";
    LaunchJournal journal = LaunchJournal::Load(root / "apps/launches");
    EXPECT_EQ(journal.All().size(), 1u);
    return journal.All().empty() ? Launch() : journal.All()[0];
}

TEST(Gateway, OverrideYesRequestsThePassPopup) {
    TempDeviceRoot root;
    root.Write("network/default_gateway", "1\n");
    RunResult r;
    Launch popup = RunForPopup(root, &r);
    EXPECT_EQ(TextsFrom(LogRecords::Load(root / "log/system"), {"NW_Hidden_Key.cpp"}),
              (std::vector<std::string>{"", "", "Hidden Network Test 1",
                                        "Succeeded to launch alert popup.", ""}));
    EXPECT_EQ(popup.pid, r.pid);
    EXPECT_EQ(popup.appId, "org.tizen.alert-syspopup");
    EXPECT_EQ(popup.operation, "http://tizen.org/appcontrol/operation/default");
    EXPECT_EQ(popup.extra, PopupExtra("PASS", "0000FF"));
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
    RunResult r;
    bool hasDefault = routes.find("default") != std::string::npos;
    EXPECT_EQ(RunForPopup(root, &r).extra,
              hasDefault ? PopupExtra("PASS", "0000FF") : PopupExtra("FAIL", "FF0000"))
        << routes;
}

}  // namespace
