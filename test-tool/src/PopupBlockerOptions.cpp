#include "PopupBlockerOptions.h"

#include <vconf.h>

#include "BreltaLog.h"

namespace {
const char* const kChannelScanKey = "memory/channel-search/channel-search-activate";
const char* const kSoftwareUpdateKey = "memory/menu/support/softwareupdate/is_swu_in_monopoly_mode";
}  // namespace

// A flag that cannot be read stays 0: a missing key or an unreadable store must never keep
// the user's messages off the screen.
bool DefaultPopupBlockOptions::IsUIToastAllowed() {
    int channelScan = 0;
    vconf_get_bool(kChannelScanKey, &channelScan);
    if (channelScan == 1) {
        BRELTA_UI_LOGI("During channel scan. Skip to launch Banner.");
        return false;
    }
    int softwareUpdate = 0;
    vconf_get_bool(kSoftwareUpdateKey, &softwareUpdate);
    if (softwareUpdate == 1) {
        BRELTA_UI_LOGI("During SWU. Skip to launch Banner.");
        return false;
    }
    return true;
}
