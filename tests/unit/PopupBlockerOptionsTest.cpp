// The display policy against the settings store, read failures included.
#include <gtest/gtest.h>

#include <vconf.h>

#include "HostFixture.h"
#include "PopupBlockerOptions.h"

using brelta::test::HostFixture;

namespace {

const char* const kScan = "memory/channel-search/channel-search-activate";
const char* const kUpdate = "memory/menu/support/softwareupdate/is_swu_in_monopoly_mode";
using Texts = std::vector<std::string>;

class PopupBlockerOptionsTest : public HostFixture {};

TEST_F(PopupBlockerOptionsTest, ToastsAreAllowedUnlessAFlagIsSet) {
    EXPECT_TRUE(DefaultPopupBlockOptions::IsUIToastAllowed()) << "flags missing";
    root->SetSetting(kScan, "bool", "0");
    root->SetSetting(kUpdate, "bool", "0");
    EXPECT_TRUE(DefaultPopupBlockOptions::IsUIToastAllowed());
    root->SetSetting(kUpdate, "bool", "1");
    EXPECT_FALSE(DefaultPopupBlockOptions::IsUIToastAllowed());
    EXPECT_EQ(MainTexts(), Texts{"During SWU. Skip to launch Banner."});

    // A channel scan blocks without reading the update flag: the second scripted result is
    // left over only if that flag was not read.
    root->SetSetting(kScan, "bool", "1");
    root->Fault("vconf_get_bool", "0 -77");
    ReloadFaults();
    EXPECT_FALSE(DefaultPopupBlockOptions::IsUIToastAllowed());
    EXPECT_EQ(MainTexts().back(), "During channel scan. Skip to launch Banner.");
    int value = 0;
    EXPECT_EQ(vconf_get_bool(kUpdate, &value), -77);
}

TEST_F(PopupBlockerOptionsTest, FlagsThatCannotBeReadNeverBlock) {
    root->SetSetting(kScan, "bool", "1");
    root->SetSetting(kUpdate, "bool", "1");
    root->Fault("vconf_get_bool", "-1 -1");
    ReloadFaults();
    EXPECT_TRUE(DefaultPopupBlockOptions::IsUIToastAllowed());
    // A flag stored with another type is a failed read as well.
    root->SetSetting(kScan, "int", "1");
    root->SetSetting(kUpdate, "string", "1");
    EXPECT_TRUE(DefaultPopupBlockOptions::IsUIToastAllowed());
    EXPECT_TRUE(MainTexts().empty());
}

}  // namespace
