// The message catalogue of the locale set-up. Its binding shows nowhere outside the process
// (the tool translates nothing yet), and the C library's calls cannot be scripted from the
// device root: the unit-test program defines both calls itself and records them; when
// $ROOT/faults/<call> says so, they fail. The rest of the set-up is shown by runs.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libintl.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Faults.h"
#include "HostFixture.h"
#include "i18n.h"

using brelta::host::Faults;

namespace {
// The calls made for the tool's own domain (a library may bind its own), as "<call> <args>".
std::vector<std::string> g_calls;

bool Fails(const char* call, const char* domain, const char* dir) {
    if (domain == nullptr || strcmp(domain, "brelta_notification") != 0) return false;
    g_calls.push_back(std::string(call) + " " + domain +
                      (dir != nullptr ? " " + std::string(dir) : ""));
    int status = 0;
    return Faults::Fail(call, &status);
}
}  // namespace

extern "C" char* bindtextdomain(const char* domain, const char* dir) noexcept {
    static auto real =
        reinterpret_cast<char* (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "bindtextdomain"));
    return Fails("bindtextdomain", domain, dir) ? nullptr : real(domain, dir);
}

extern "C" char* textdomain(const char* domain) noexcept {
    static auto real = reinterpret_cast<char* (*)(const char*)>(dlsym(RTLD_NEXT, "textdomain"));
    return Fails("textdomain", domain, nullptr) ? nullptr : real(domain);
}

namespace {

using I18nTest = brelta::test::HostFixture;

// i18n_init works once per process; no other test calls it.
TEST_F(I18nTest, CatalogueFailuresAreLoggedAndTheSetUpStillCountsAsDone) {
    unsetenv("LC_ALL");  // the shell's would name the locale in place of the keys
    root->SetSetting("db/menu_widget/language", "string", "C");
    root->SetSetting("db/menu_widget/regionformat", "string", "C");
    root->Fault("bindtextdomain", "1");
    root->Fault("textdomain", "1");
    i18n_init();
    i18n_init();
    i18n_del();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"bindtextdomain brelta_notification " +
                                                     *root / "usr/apps/org.tizen.Brelta/res/locale",
                                                 "textdomain brelta_notification"}));
    EXPECT_EQ(
        Records("system"),
        (std::vector<std::string>{
            "i18n.c: i18n_init > Enter i18n_init", "i18n.c: update_region > ***** setlocale=C",
            "i18n.c: __set_i18n > bindtextdomain() error",
            "i18n.c: __set_i18n > textdomain() error", "i18n.c: i18n_init > Enter i18n_init",
            "i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks "}));
}

}  // namespace
