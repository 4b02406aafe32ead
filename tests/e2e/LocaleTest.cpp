// The built tool's locale set-up, seen through its records and through the environment of
// the programs it starts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

const char kLanguage[] = "db/menu_widget/language";
const char kRegion[] = "db/menu_widget/regionformat";
const char kNoSuchLocale[] = "xx_XX.UTF-8";
const char* const kRegionVariables[] = {
    "LC_CTYPE", "LC_NUMERIC", "LC_TIME",      "LC_COLLATE",     "LC_MONETARY",       "LC_PAPER",
    "LC_NAME",  "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION",
};

std::vector<std::string> LocaleRecords(const TempDeviceRoot& root) {
    return LogRecords::Load(root / "log/system").CallsOf("i18n.c");
}

TEST(Locale, RecordsOfTheSetUpWithUnknownId) {
    struct Case {
        const char* what;
        const char* language;  // null: no key
        const char* region;
        std::vector<std::string> records;
    };
    const std::string enter = "i18n_init: Enter i18n_init";
    const std::string noLanguage = "update_lang: failed to get current language for set lang env";
    const std::string noRegion =
        "update_region: failed to get current region format for set region env";
    const std::string del = "i18n_del: DeRegistering i18n_del vconf callbacks ";
    const Case cases[] = {
        {"no keys", nullptr, nullptr, {enter, noLanguage, noRegion, del}},
        {"both keys", "C.UTF-8", "C.UTF-8", {enter, "update_region: ***** setlocale=C.UTF-8", del}},
        {"language names no locale",
         kNoSuchLocale,
         nullptr,
         {enter, noRegion, "__set_i18n: setlocale() error", del}},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        if (c.language != nullptr) root.SetSetting(kLanguage, "string", c.language);
        if (c.region != nullptr) root.SetSetting(kRegion, "string", c.region);
        RunResult r = ToolRun(root).Run({"brelta.keycombination.nothing"});
        EXPECT_TRUE(r.exited && r.exitCode == 0) << c.what;
        EXPECT_EQ(LocaleRecords(root), c.records) << c.what;
    }
}

// The language and region reach the environment of the program that the MDT command starts.
TEST(Locale, StartedProgramInheritsLanguageAndRegion) {
    TempDeviceRoot root;
    root.SetSetting(kLanguage, "string", "C.UTF-8");
    root.SetSetting(kRegion, "string", "C");
    root.Write("usr/bin/MDT",
               "#!/bin/sh\nenv > \"$BRELTA_DEVICE_ROOT/mdt-env.new\" && "
               "mv \"$BRELTA_DEVICE_ROOT/mdt-env.new\" \"$BRELTA_DEVICE_ROOT/mdt-env\"\n");
    chmod((root / "usr/bin/MDT").c_str(), 0755);

    ToolRun run(root);
    run.Start({"brelta.keycombination.mdt"});
    double deadline = brelta::test::MonotonicSeconds() + 10;
    while (!root.Exists("mdt-env") && brelta::test::MonotonicSeconds() < deadline) usleep(20000);
    run.Wait(0);  // the exit delay is 120 s: end the tool and its child here
    std::string env = "\n" + root.Read("mdt-env");
    ASSERT_TRUE(root.Exists("mdt-env"));
    EXPECT_NE(env.find("\nLANG=C.UTF-8\n"), std::string::npos) << env;
    EXPECT_NE(env.find("\nLC_MESSAGES=C.UTF-8\n"), std::string::npos) << env;
    for (const char* name : kRegionVariables)
        EXPECT_NE(env.find("\n" + std::string(name) + "=C\n"), std::string::npos) << name;
}

// A command id with a quick task, for a run that lasts the 5 s exit delay.
#define LOCALE_TEST_KNOWN_ID "brelta.keycombination.WiFiList"

bool WaitForRecords(const TempDeviceRoot& root, const std::vector<std::string>& wanted) {
    double deadline = brelta::test::MonotonicSeconds() + 10;
    for (;;) {
        auto texts = LogRecords::Load(root / "log/system").Texts();
        bool all = true;
        for (const std::string& w : wanted)
            all = all && std::find(texts.begin(), texts.end(), w) != texts.end();
        if (all) return true;
        if (brelta::test::MonotonicSeconds() > deadline) return false;
        usleep(20000);
    }
}

// While the tool waits out its exit delay, a person changes the language and then the region.
TEST(Locale, ChangesDuringTheExitDelayAreFollowed) {
    TempDeviceRoot root;
    // With the region naming a missing locale, the language stands in and says so.
    root.SetSetting(kRegion, "string", kNoSuchLocale);
    root.Write("network/default_gateway", "1");
    ToolRun run(root);
    run.Start({LOCALE_TEST_KNOWN_ID});
    ASSERT_TRUE(WaitForRecords(root, {"EXITING in 5 seconds ..."}));

    std::string language = root / ("settings/" + std::string(kLanguage));
    std::string region = root / ("settings/" + std::string(kRegion));
    ASSERT_EQ(system(("echo 'string C.UTF-8' > " + language).c_str()), 0);
    EXPECT_TRUE(WaitForRecords(root, {"Key changed db/menu_widget/language"}));
    ASSERT_EQ(system(("printf 'string C.UTF-8\\n' > " + region + ".new && mv " + region + ".new " +
                      region)
                         .c_str()),
              0);
    EXPECT_TRUE(WaitForRecords(root, {"Key changed db/menu_widget/regionformat"}));
    RunResult r = run.Wait(20);
    EXPECT_TRUE(r.exited && r.exitCode == 0);

    auto records = LocaleRecords(root);
    auto texts = LogRecords::Load(root / "log/system").Texts();
    auto at = [&](const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) - texts.begin();
    };
    EXPECT_EQ(std::vector<std::string>(records.begin() + 1, records.end()),
              (std::vector<std::string>{
                  "update_lang: failed to get current language for set lang env",
                  "__set_i18n: ***** setlocale=C",
                  "__vconf_on_change_language: Key changed db/menu_widget/language",
                  "update_lang: ***** setlocale=C.UTF-8",
                  "__vconf_on_change_language: Key changed db/menu_widget/regionformat",
                  "update_region: ***** setlocale=C.UTF-8",
                  "i18n_del: DeRegistering i18n_del vconf callbacks "}));
    EXPECT_LT(at("EXITING in 5 seconds ..."), at("Key changed db/menu_widget/language"));
    EXPECT_LT(at("Key changed db/menu_widget/regionformat"), at("EXITING."));
}

}  // namespace
