// The command table: any bytes as a command id give either no task or the task of a table
// row, always leave an exit delay of 5 or 120 seconds, and the task manager's Init/Destroy
// leave nothing scheduled behind.
#include <unistd.h>

#include <glib.h>

#include <cstdint>
#include <string>

#include "CTaskManager.h"
#include "CTestTaskFactory.h"
#include "FuzzSupport.h"

using brelta::fuzz::Check;

namespace {
const char kMdt[] = "brelta.keycombination.mdt";

bool InTable(const std::string& id) {
    static const char* const kIds[] = {"brelta.keycombination.tcpdumpstop",
                                       "brelta.keycombination.tcpdumpstart",
                                       "brelta.keycombination.gateway",
                                       "brelta.keycombination.ndf",
                                       "brelta.keycombination.rse",
                                       "brelta.keycombination.wifilow",
                                       "brelta.keycombination.nwerrorpopup",
                                       "brelta.keycombination.WiFiList",
                                       kMdt};
    for (const char* known : kIds)
        if (id == known) return true;
    return false;
}

GMainLoop* g_loop = nullptr;
std::string g_logPath;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_logPath = brelta::fuzz::UseTemporaryDeviceRoot() + "/log/system";
    g_loop = g_main_loop_new(nullptr, FALSE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string id(reinterpret_cast<const char*>(data), size);
    CTaskManager manager(g_loop);

    CTaskManager::timeout = -1;
    ITask* task = CTestTaskFactory::GetTask(&manager, id);
    Check(CTaskManager::timeout == 5 || CTaskManager::timeout == 120, "the delay is 5 or 120");
    Check((CTaskManager::timeout == 120) == (task != nullptr && id == kMdt),
          "only the MDT task has the long delay");
    Check(task == nullptr || InTable(id), "only a table row makes a task");
    const bool known = task != nullptr;
    delete task;

    Check(manager.Init(id) == known, "Init accepts exactly the ids that make a task");
    manager.Destroy();
    Check(!g_main_context_pending(nullptr), "Destroy leaves no source behind");
    // Tasks and refusals log; keep the file from growing over a long run.
    unlink(g_logPath.c_str());
    return 0;
}
