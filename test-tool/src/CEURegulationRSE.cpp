#include "CEURegulationRSE.h"

#include <vconf.h>

#include "BreltaLog.h"
#include "TestUtil.h"

CEURegulationRSE::CEURegulationRSE(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CEURegulationRSE::~CEURegulationRSE() {
    BRELTA_LOGI("");
}

void CEURegulationRSE::Execute(std::string, std::string) {
    BRELTA_LOGI("");
    // Test mode is switched on only for the run that asked for it by its own id.
    if (m_TaskManager.GetLaunchArgs() != "brelta.keycombination.rse") return;
    int ret = vconf_set_bool("db/menu/network/eu_wifi_reg_test_mode", 1);
    BRELTA_LOGI("change rse vconf value(ret is %d)", ret);
    CTestUtil::LaunchNetworkSettings("LAUNCH_EU_REGULATION_TEST_POPUP");
}
