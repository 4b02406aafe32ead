#include "CTestTaskFactory.h"

#include "CEURegulationRSE.h"
#include "CMDTPopup.h"
#include "CNDFPopup.h"
#include "CNWErrorPopup.h"
#include "CNWWiFiList.h"
#include "CTCPDumpTask.h"
#include "CTaskManager.h"
#include "NWLowPowerHandler.h"
#include "NW_Hidden_Key.h"

ITask* CTestTaskFactory::GetTask(ITaskManager* taskManager, std::string commandId) {
    // Every call starts from the common delay, so an MDT run never leaks its 120 s into the
    // next lookup.
    CTaskManager::timeout = 5;
    ITaskManager& manager = *taskManager;
    if (commandId == "brelta.keycombination.tcpdumpstop") return new CTCPDumpTask(manager);
    if (commandId == "brelta.keycombination.tcpdumpstart") return new CTCPDumpTask(manager);
    if (commandId == "brelta.keycombination.gateway") return new CNWHiddenKey(manager);
    if (commandId == "brelta.keycombination.ndf") return new CNDFPopup(manager);
    if (commandId == "brelta.keycombination.rse") return new CEURegulationRSE(manager);
    if (commandId == "brelta.keycombination.wifilow") return new NWLowPowerHandler(manager);
    if (commandId == "brelta.keycombination.nwerrorpopup") return new CNWErrorPopup(manager);
    if (commandId == "brelta.keycombination.WiFiList") return new CNWWiFiList(manager);
    if (commandId == "brelta.keycombination.mdt") {
        CTaskManager::timeout = 120;
        return new CMDTPopup(manager);
    }
    return nullptr;
}
