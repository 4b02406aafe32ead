// The locale set-up in process: environment, locale and catalogue from the language and region
// keys, and what each failing call leaves. i18n_init works once per process and changes the
// process as a whole, so every test runs in a fresh process.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <libintl.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <vconf.h>

#include "Keys.h"
#include "Faults.h"
#include "FreshProcess.h"
#include "HostFixture.h"
#include "i18n.h"

using brelta::host::Faults;
using brelta::test::FreshProcess;
using brelta::test::HostFixture;
using brelta::test::kLanguage;
using brelta::test::kRegion;

// The catalogue calls fail when $ROOT/faults/bindtextdomain or textdomain scripts it for the
// tool's own domain; otherwise they are the C library's.
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

const char* const kRegionVariables[] = {
    "LC_CTYPE", "LC_NUMERIC", "LC_TIME",      "LC_COLLATE",     "LC_MONETARY",       "LC_PAPER",
    "LC_NAME",  "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION",
};
const std::string kEnter = "i18n_init: Enter i18n_init";

class I18nTest : public HostFixture {
protected:
    static std::string Env(const char* name) {
        const char* value = getenv(name);
        return value != nullptr ? value : "(unset)";
    }
    static std::string Setlocale() { return setlocale(LC_ALL, nullptr); }
    void ExpectRegion(const std::string& value) {
        for (const char* name : kRegionVariables) EXPECT_EQ(Env(name), value) << name;
    }
    // Sets the keys and the fault script of one function (none when `function` is null).
    void Prepare(const char* language, const char* region, const char* function = nullptr,
                 const char* script = nullptr) {
        root->SetSetting(kLanguage, "string", language);
        root->SetSetting(kRegion, "string", region);
        if (function != nullptr) root->Fault(function, script);
        ReloadFaults();
    }
    // The locale set-up's records as "<function>: <text>".
    std::vector<std::string> Records() const { return SystemLog().CallsOf("i18n.c"); }
};

TEST_F(I18nTest, TakesLanguageAndRegionOnceAndBindsTheCatalogue) {
    if (FreshProcess::Delegate(*root)) return;
    Prepare("C.UTF-8", "C");
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    EXPECT_EQ(Env("LC_MESSAGES"), "C.UTF-8");
    ExpectRegion("C");
    EXPECT_EQ(std::string(setlocale(LC_MESSAGES, nullptr)), "C.UTF-8");
    EXPECT_STREQ(textdomain(nullptr), "brelta_notification");
    EXPECT_EQ(std::string(bindtextdomain("brelta_notification", nullptr)),
              *root / "usr/apps/org.tizen.Brelta/res/locale");

    Prepare("C", "C.UTF-8");  // only the first call takes the keys
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    ExpectRegion("C");
    EXPECT_EQ(Records(), (std::vector<std::string>{
                             kEnter, "update_region: ***** setlocale=" + Setlocale(), kEnter}));
}

TEST_F(I18nTest, UnreadableLanguageLeavesLangAndSetsTheRegion) {
    if (FreshProcess::Delegate(*root)) return;
    Prepare("C.UTF-8", "C.UTF-8", "vconf_get_str", "1");  // the language read
    setenv("LANG", "C", 1);
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C");
    EXPECT_EQ(Env("LC_MESSAGES"), "(unset)");
    ExpectRegion("C.UTF-8");
    EXPECT_EQ(Records(), (std::vector<std::string>{
                             kEnter, "update_lang: failed to get current language for set lang env",
                             "update_region: ***** setlocale=" + Setlocale()}));
}

TEST_F(I18nTest, UnreadableRegionLeavesTheRegionVariables) {
    if (FreshProcess::Delegate(*root)) return;
    Prepare("C.UTF-8", "C", "vconf_get_str", "0 1");  // the region read
    setenv("LC_TIME", "C", 1);
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    EXPECT_EQ(Env("LC_TIME"), "C");
    EXPECT_EQ(Env("LC_CTYPE"), "(unset)");
    EXPECT_EQ(
        Records(),
        (std::vector<std::string>{
            kEnter, "update_region: failed to get current region format for set region env"}));
}

TEST_F(I18nTest, CatalogueFailuresAreLoggedAndTheSetUpStillCountsAsDone) {
    if (FreshProcess::Delegate(*root)) return;
    Prepare("C", "C", "bindtextdomain", "1");
    root->Fault("textdomain", "1");
    ReloadFaults();
    i18n_init();
    i18n_init();
    EXPECT_EQ(Records(), (std::vector<std::string>{kEnter, "update_region: ***** setlocale=C",
                                                   "__set_i18n: bindtextdomain() error",
                                                   "__set_i18n: textdomain() error", kEnter}));
}

TEST_F(I18nTest, FailedRegistrationLeavesTheLocaleSetButUnfollowed) {
    if (FreshProcess::Delegate(*root)) return;
    Prepare("C.UTF-8", "C", "vconf_notify_key_changed", "1 1");
    i18n_init();
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    std::string command = "echo 'string C' > " + *root / ("settings/" + std::string(kLanguage));
    ASSERT_EQ(system(command.c_str()), 0);
    RunLoopFor(0.5);
    EXPECT_EQ(Env("LANG"), "C.UTF-8");
    for (const std::string& r : Records()) EXPECT_EQ(r.find("Key changed"), std::string::npos);
}

}  // namespace
