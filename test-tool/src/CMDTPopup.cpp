#include "CMDTPopup.h"

#include "BreltaLog.h"
#include "TestUtil.h"

CMDTPopup::CMDTPopup(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CMDTPopup::~CMDTPopup() {
    BRELTA_LOGI("");
}

void CMDTPopup::Execute(std::string, std::string) {
    BRELTA_LOGI("+++++  Inside launchNS MDT");
    CTestUtil::LaunchMDT();
}
