// The built tool's locale set-up, seen through its records and through the environment of
// the programs it starts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Keys.h"
#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::kLanguage;
using brelta::test::kRegion;
using brelta::test::LogRecords;
using brelta::test::MonotonicSeconds;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

const char kNoSuchLocale[] = "xx_XX.UTF-8";  // setlocale refuses it

std::vector<std::string> LocaleRecords(const TempDeviceRoot& root) {
    return LogRecords::Load(root / "log/system").CallsOf("i18n.c");
}

TEST(Locale, RecordsOfTheSetUpWithUnknownId) {
    const std::string enter = "i18n_init: Enter i18n_init";
    const std::string noRegion =
        "update_region: failed to get current region format for set region env";
    const std::string del = "i18n_del: DeRegistering i18n_del vconf callbacks ";
    const struct {
        const char* what;
        const char* language;  // null: no key
        const char* region;
        std::vector<std::string> records;
    } cases[] = {
        {"no keys",
         nullptr,
         nullptr,
         {enter, "update_lang: failed to get current language for set lang env", noRegion, del}},
        {"both keys", "C.UTF-8", "C.UTF-8", {enter, "update_region: ***** setlocale=C.UTF-8", del}},
        {"language names no locale",
         kNoSuchLocale,
         nullptr,
         {enter, noRegion, "__set_i18n: setlocale() error", del}},
        // The region fails the environment as a whole: the language stands in.
        {"region names no locale",
         "C.UTF-8",
         kNoSuchLocale,
         {enter, "__set_i18n: ***** setlocale=C.UTF-8", del}},
    };
    for (const auto& c : cases) {
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
    double deadline = MonotonicSeconds() + 10;
    while (!root.Exists("mdt-env") && MonotonicSeconds() < deadline) usleep(20000);
    run.Wait(0);  // the exit delay is 120 s: end the tool and its child here
    ASSERT_TRUE(root.Exists("mdt-env"));
    std::string env = "\n" + root.Read("mdt-env");
    for (const char* line :
         {"LANG=C.UTF-8", "LC_MESSAGES=C.UTF-8", "LC_CTYPE=C", "LC_TIME=C", "LC_IDENTIFICATION=C"})
        EXPECT_NE(env.find("\n" + std::string(line) + "\n"), std::string::npos) << line << env;
}

bool WaitForText(const TempDeviceRoot& root, const std::string& wanted) {
    for (double deadline = MonotonicSeconds() + 10; MonotonicSeconds() < deadline; usleep(20000)) {
        auto texts = LogRecords::Load(root / "log/system").Texts();
        if (std::find(texts.begin(), texts.end(), wanted) != texts.end()) return true;
    }
    return false;
}

// While the tool waits out its exit delay, a person changes the language (in place) and then
// the region (by rename).
TEST(Locale, ChangesDuringTheExitDelayAreFollowed) {
    TempDeviceRoot root;
    root.SetSetting(kRegion, "string", kNoSuchLocale);
    root.Write("network/default_gateway", "1");
    ToolRun run(root);
    run.Start({"brelta.keycombination.WiFiList"});  // a quick task: the run lasts the 5 s delay
    ASSERT_TRUE(WaitForText(root, "EXITING in 5 seconds ..."));
    std::string language = root / ("settings/" + std::string(kLanguage));
    std::string region = root / ("settings/" + std::string(kRegion));
    ASSERT_EQ(system(("echo 'string C.UTF-8' > " + language).c_str()), 0);
    EXPECT_TRUE(WaitForText(root, "Key changed db/menu_widget/language"));
    ASSERT_EQ(system(("printf 'string C.UTF-8\\n' > " + region + ".new && mv " + region + ".new " +
                      region)
                         .c_str()),
              0);
    EXPECT_TRUE(WaitForText(root, "Key changed db/menu_widget/regionformat"));
    RunResult r = run.Wait(20);
    EXPECT_TRUE(r.exited && r.exitCode == 0);

    auto records = LocaleRecords(root);
    auto texts = LogRecords::Load(root / "log/system").Texts();
    auto at = [&](const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) - texts.begin();
    };
    // Without a language key, binding names the current locale.
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
