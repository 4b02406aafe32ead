// The command table: any bytes as a command id give a task exactly when they are an id of
// the table, with that id's exit delay (5 seconds otherwise), and the task manager's
// Init/Destroy leave nothing scheduled behind.
#include <unistd.h>

#include <glib.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "CTaskManager.h"
#include "CTestTaskFactory.h"
#include "FuzzSupport.h"

using brelta::fuzz::Check;

namespace {
// Exit delay of each id of the command table (test-tool/command-ids), read apart from the
// factory's own build of it.
std::map<std::string, int> g_table;

GMainLoop* g_loop = nullptr;
std::string g_logPath;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_logPath = brelta::fuzz::UseTemporaryDeviceRoot() + "/log/system";
    g_loop = g_main_loop_new(nullptr, FALSE);
    std::ifstream table(BRELTA_COMMAND_IDS);
    for (std::string line, id; std::getline(table, line);) {
        std::istringstream row(line);
        if (row >> id && id[0] != '#') row >> g_table[id];
    }
    Check(!g_table.empty(), "the command table is read");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string id(reinterpret_cast<const char*>(data), size);
    CTaskManager manager(g_loop);

    CTaskManager::timeout = -1;
    ITask* task = CTestTaskFactory::GetTask(&manager, id);
    const bool known = g_table.count(id) > 0;
    Check((task != nullptr) == known, "exactly the table's ids make a task");
    Check(CTaskManager::timeout == (known ? g_table[id] : 5), "the delay is the id's, else 5");
    delete task;

    Check(manager.Init(id) == known, "Init accepts exactly the ids that make a task");
    manager.Destroy();
    Check(!g_main_context_pending(nullptr), "Destroy leaves no source behind");
    // Tasks and refusals log; keep the file from growing over a long run.
    unlink(g_logPath.c_str());
    return 0;
}
