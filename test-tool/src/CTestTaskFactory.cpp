#include "CTestTaskFactory.h"

#include "CTaskManager.h"

// A row whose task class is not part of this build yet is skipped, so its id is unknown.
#if __has_include("CTCPDumpTask.h")
#include "CTCPDumpTask.h"
#define HAVE_CTCPDUMPTASK 1
#endif
#if __has_include("NW_Hidden_Key.h")
#include "NW_Hidden_Key.h"
#define HAVE_CNWHIDDENKEY 1
#endif
#if __has_include("CNDFPopup.h")
#include "CNDFPopup.h"
#define HAVE_CNDFPOPUP 1
#endif
#if __has_include("CEURegulationRSE.h")
#include "CEURegulationRSE.h"
#define HAVE_CEUREGULATIONRSE 1
#endif
#if __has_include("NWLowPowerHandler.h")
#include "NWLowPowerHandler.h"
#define HAVE_NWLOWPOWERHANDLER 1
#endif
#if __has_include("CNWErrorPopup.h")
#include "CNWErrorPopup.h"
#define HAVE_CNWERRORPOPUP 1
#endif
#if __has_include("CNWWiFiList.h")
#include "CNWWiFiList.h"
#define HAVE_CNWWIFILIST 1
#endif
#if __has_include("CMDTPopup.h")
#include "CMDTPopup.h"
#define HAVE_CMDTPOPUP 1
#endif

ITask* CTestTaskFactory::GetTask(ITaskManager* taskManager, std::string commandId) {
    CTaskManager::timeout = 5;
    ITaskManager& manager = *taskManager;
    (void)manager;
    (void)commandId;
#ifdef HAVE_CTCPDUMPTASK
    if (commandId == "brelta.keycombination.tcpdumpstop") return new CTCPDumpTask(manager);
    if (commandId == "brelta.keycombination.tcpdumpstart") return new CTCPDumpTask(manager);
#endif
#ifdef HAVE_CNWHIDDENKEY
    if (commandId == "brelta.keycombination.gateway") return new CNWHiddenKey(manager);
#endif
#ifdef HAVE_CNDFPOPUP
    if (commandId == "brelta.keycombination.ndf") return new CNDFPopup(manager);
#endif
#ifdef HAVE_CEUREGULATIONRSE
    if (commandId == "brelta.keycombination.rse") return new CEURegulationRSE(manager);
#endif
#ifdef HAVE_NWLOWPOWERHANDLER
    if (commandId == "brelta.keycombination.wifilow") return new NWLowPowerHandler(manager);
#endif
#ifdef HAVE_CNWERRORPOPUP
    if (commandId == "brelta.keycombination.nwerrorpopup") return new CNWErrorPopup(manager);
#endif
#ifdef HAVE_CNWWIFILIST
    if (commandId == "brelta.keycombination.WiFiList") return new CNWWiFiList(manager);
#endif
#ifdef HAVE_CMDTPOPUP
    if (commandId == "brelta.keycombination.mdt") {
        CTaskManager::timeout = 120;
        return new CMDTPopup(manager);
    }
#endif
    return nullptr;
}
