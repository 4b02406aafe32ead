#include "CNWWiFiList.h"

#include <vconf.h>

#include "BreltaLog.h"
#include "TestUtil.h"

CNWWiFiList::CNWWiFiList(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CNWWiFiList::~CNWWiFiList() {
    BRELTA_LOGI("");
}

void CNWWiFiList::Execute(std::string, std::string) {
    BRELTA_LOGI("+++++  Inside launchCNWWiFiList");
    // The settings application opens its wireless page from this key; the page is asked
    // for even when the key could not be written.
    vconf_set_int("db/network/LaunchNWWireless", 1);
    CTestUtil::LaunchNetworkSettings("LAUNCH_WIFI_LIST_PAGE");
}
