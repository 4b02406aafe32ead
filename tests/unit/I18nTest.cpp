// The locale set-up: environment, process locale and message catalogue taken from the
// language and region keys, and followed while the main loop runs. i18n_init works once per
// process and changes the process as a whole, so every test runs in a fresh process.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <libintl.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <vconf.h>

#include "Faults.h"
#include "FreshProcess.h"
#include "HostFixture.h"
#include "i18n.h"

using brelta::host::Faults;
using brelta::test::FreshProcess;
using brelta::test::HostFixture;

// The catalogue calls fail here when $ROOT/faults/bindtextdomain or textdomain scripts it
// for the tool's own domain; otherwise they are the C library's.
namespace {
bool CatalogueFault(const char* function, const char* domain) {
    int status = 0;
    return domain != nullptr && strcmp(domain, "brelta_notification") == 0 &&
           Faults::Fail(function, &status);
}
}  // namespace

extern "C" char* bindtextdomain(const char* domain, const char* dir) noexcept {
    using Fn = char* (*)(const char*, const char*);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "bindtextdomain"));
    return CatalogueFault("bindtextdomain", domain) ? nullptr : real(domain, dir);
}

extern "C" char* textdomain(const char* domain) noexcept {
    using Fn = char* (*)(const char*);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "textdomain"));
    return CatalogueFault("textdomain", domain) ? nullptr : real(domain);
}

namespace {

const char kLanguage[] = "db/menu_widget/language";
const char kRegion[] = "db/menu_widget/regionformat";
const char* const kRegionVariables[] = {
    "LC_CTYPE", "LC_NUMERIC", "LC_TIME",      "LC_COLLATE",     "LC_MONETARY",       "LC_PAPER",
    "LC_NAME",  "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION",
};
// Not installed anywhere: setlocale refuses it.
const char kNoSuchLocale[] = "xx_XX.UTF-8";

class I18nTest : public HostFixture {
protected:
    static std::string Env(const char* name) {
        const char* value = getenv(name);
        return value != nullptr ? value : "(unset)";
    }
    static std::string Locale(int category) { return setlocale(category, nullptr); }

    void ExpectRegion(const std::string& value) {
        for (const char* name : kRegionVariables) EXPECT_EQ(Env(name), value) << name;
    }

    // The locale set-up's records as "<function>: <text>".
    std::vector<std::string> Records() const { return SystemLog().CallsOf("i18n.c"); }

    // Another process writes the key: in place like echo, or by rename like the store.
    void WriteByShell(const std::string& key, const std::string& value, bool rename) const {
        std::string file = *root / ("settings/" + key);
        std::string command = rename ? "printf 'string %s\\n' '" + value + "' > " + file +
                                           ".new && mv " + file + ".new " + file
                                     : "echo 'string " + value + "' > " + file;
        ASSERT_EQ(system(command.c_str()), 0) << command;
    }

    bool WaitForRecord(const std::string& record) {
        return RunLoopUntil(
            [&] {
                auto records = Records();
                return std::find(records.begin(), records.end(), record) != records.end();
            },
            5);
    }
};

TEST_F(I18nTest, TakesLanguageAndRegionOnceAndBindsTheCatalogue) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    root->SetSetting(kRegion, "string", "C");
    i18n_init();

    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    EXPECT_EQ(Env("LC_MESSAGES"), "C.UTF-8");
    ExpectRegion("C");
    EXPECT_EQ(Locale(LC_MESSAGES), "C.UTF-8");
    EXPECT_EQ(Locale(LC_TIME), "C");
    EXPECT_STREQ(textdomain(nullptr), "brelta_notification");
    EXPECT_EQ(std::string(bindtextdomain("brelta_notification", nullptr)),
              *root / "usr/apps/org.tizen.Brelta/res/locale");
    EXPECT_EQ(Records(),
              (std::vector<std::string>{"i18n_init: Enter i18n_init",
                                        "update_region: ***** setlocale=" + Locale(LC_ALL)}));

    // Only the first call takes the keys.
    root->SetSetting(kLanguage, "string", "C");
    root->SetSetting(kRegion, "string", "C.UTF-8");
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    ExpectRegion("C");
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2], "i18n_init: Enter i18n_init");
}

TEST_F(I18nTest, UnreadableLanguageLeavesLangAndSetsTheRegion) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    root->SetSetting(kRegion, "string", "C.UTF-8");
    root->Fault("vconf_get_str", "1");  // the language read
    ReloadFaults();
    setenv("LANG", "C", 1);
    setenv("LC_MESSAGES", "C", 1);
    i18n_init();

    EXPECT_EQ(Env("LANG"), "C");
    EXPECT_EQ(Env("LC_MESSAGES"), "C");
    ExpectRegion("C.UTF-8");
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1], "update_lang: failed to get current language for set lang env");
    EXPECT_EQ(records[2], "update_region: ***** setlocale=" + Locale(LC_ALL));
}

TEST_F(I18nTest, UnreadableRegionLeavesTheRegionVariables) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    root->SetSetting(kRegion, "string", "C");
    root->Fault("vconf_get_str", "0 1");  // the region read
    ReloadFaults();
    setenv("LC_TIME", "C", 1);
    i18n_init();

    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    EXPECT_EQ(Env("LC_TIME"), "C");
    EXPECT_EQ(Env("LC_CTYPE"), "(unset)");
    EXPECT_EQ(Records(),
              (std::vector<std::string>{
                  "i18n_init: Enter i18n_init",
                  "update_region: failed to get current region format for set region env"}));
}

TEST_F(I18nTest, LanguageStandsInWhenTheEnvironmentNamesAMissingLocale) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    setenv("LC_TIME", kNoSuchLocale, 1);  // no region key replaces it
    i18n_init();

    EXPECT_EQ(Locale(LC_ALL), "C.UTF-8");
    EXPECT_EQ(Records(),
              (std::vector<std::string>{
                  "i18n_init: Enter i18n_init", "update_lang: ***** setlocale=C.UTF-8",
                  "update_region: failed to get current region format for set region env",
                  "__set_i18n: ***** setlocale=C.UTF-8"}));
}

TEST_F(I18nTest, UnreadableLanguageWhenBindingOnlyNamesTheCurrentLocale) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", kNoSuchLocale);
    root->Fault("vconf_get_str", "0 0 1");  // the third read, by __set_i18n
    ReloadFaults();
    i18n_init();

    // Without the fault this run logs "setlocale() error".
    EXPECT_EQ(Env("LANG"), kNoSuchLocale);
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2], "__set_i18n: ***** setlocale=C");
}

TEST_F(I18nTest, CatalogueFailuresAreLoggedAndTheSetUpStillCountsAsDone) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C");
    root->SetSetting(kRegion, "string", "C");
    root->Fault("bindtextdomain", "1");
    root->Fault("textdomain", "1");
    ReloadFaults();
    i18n_init();
    i18n_init();

    EXPECT_EQ(Records(), (std::vector<std::string>{
                             "i18n_init: Enter i18n_init", "update_region: ***** setlocale=C",
                             "__set_i18n: bindtextdomain() error", "__set_i18n: textdomain() error",
                             "i18n_init: Enter i18n_init"}));
}

TEST_F(I18nTest, FollowsBothKeysWhileTheLoopRunsAndNothingAfterDel) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    root->SetSetting(kRegion, "string", "C");
    i18n_init();
    size_t before = Records().size();

    WriteByShell(kLanguage, "C", true);
    ASSERT_TRUE(WaitForRecord("__vconf_on_change_language: Key changed db/menu_widget/language"));
    EXPECT_EQ(Env("LANG"), "C");
    EXPECT_EQ(Env("LC_MESSAGES"), "C");
    ExpectRegion("C");

    WriteByShell(kRegion, "C.UTF-8", false);
    ASSERT_TRUE(
        WaitForRecord("__vconf_on_change_language: Key changed db/menu_widget/regionformat"));
    ExpectRegion("C.UTF-8");
    EXPECT_EQ(Locale(LC_TIME), "C.UTF-8");
    EXPECT_EQ(Locale(LC_MESSAGES), "C");
    RunLoopFor(0.3);  // a second callback for either change would show now
    auto records = Records();
    ASSERT_EQ(records.size(), before + 3);
    EXPECT_EQ(records[before + 2], "update_region: ***** setlocale=" + Locale(LC_ALL));

    i18n_del();
    WriteByShell(kLanguage, "C.UTF-8", true);
    WriteByShell(kRegion, "C", false);
    RunLoopFor(0.5);
    records = Records();
    ASSERT_EQ(records.size(), before + 4);
    EXPECT_EQ(records.back(), "i18n_del: DeRegistering i18n_del vconf callbacks ");
    EXPECT_EQ(Env("LANG"), "C");
    ExpectRegion("C.UTF-8");
}

TEST_F(I18nTest, FailedRegistrationLeavesTheLocaleSetButUnfollowed) {
    if (FreshProcess::Delegate(*root)) return;
    root->SetSetting(kLanguage, "string", "C.UTF-8");
    root->Fault("vconf_notify_key_changed", "1 1");
    ReloadFaults();
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");

    WriteByShell(kLanguage, "C", false);
    RunLoopFor(0.5);
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    for (const std::string& r : Records()) EXPECT_EQ(r.find("Key changed"), std::string::npos);
}

}  // namespace
