#include "CTestTaskFactory.h"

#include "CTaskManager.h"
// The command table, made at build time from test-tool/command-ids: the headers of its tasks
// and BRELTA_COMMANDS(X), one X(id, exit delay, task class) per row.
#include "CommandTable.inc"

namespace {
struct Command {
    const char* id;
    int delay;
    ITask* (*make)(ITaskManager&);
};

template <class Task>
ITask* Make(ITaskManager& manager) {
    return new Task(manager);
}

#define BRELTA_COMMAND_ROW(id, delay, Task) {id, delay, &Make<Task>},
constexpr Command kCommands[] = {BRELTA_COMMANDS(BRELTA_COMMAND_ROW)};
#undef BRELTA_COMMAND_ROW
}  // namespace

ITask* CTestTaskFactory::GetTask(ITaskManager* taskManager, std::string commandId) {
    // Every call starts from the common delay, so an MDT run never leaks its 120 s into the
    // next lookup.
    CTaskManager::timeout = 5;
    for (const Command& command : kCommands) {
        if (commandId != command.id) continue;
        CTaskManager::timeout = command.delay;
        return command.make(*taskManager);
    }
    return nullptr;
}
