#include "CNWErrorPopup.h"

#include "BreltaLog.h"
#include "TestUtil.h"

CNWErrorPopup::CNWErrorPopup(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CNWErrorPopup::~CNWErrorPopup() {
    BRELTA_LOGI("");
}

void CNWErrorPopup::Execute(std::string, std::string) {
    BRELTA_LOGI("+++++  Inside launchCNWErrorPopup");
    CTestUtil::LaunchNetworkSettings("LAUNCH_NW_ERROR_POPUP");
}
