#include "CNDFPopup.h"

#include "BreltaLog.h"
#include "TestUtil.h"

CNDFPopup::CNDFPopup(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CNDFPopup::~CNDFPopup() {
    BRELTA_LOGI("");
}

void CNDFPopup::Execute(std::string, std::string) {
    BRELTA_LOGI("+++++  Inside launchNS");
    CTestUtil::LaunchNetworkSettings("LAUNCH_NDF_POPUP");
}
