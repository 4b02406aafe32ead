#ifndef CTESTTASKFACTORY_H
#define CTESTTASKFACTORY_H

#include <string>

#include "ITask.h"
#include "ITaskManager.h"

// The command table: maps a command id to a new task and sets the exit delay for it.
class CTestTaskFactory {
public:
    // A task allocated with new (the caller owns it), or null for an unknown command id.
    static ITask* GetTask(ITaskManager* taskManager, std::string commandId);
};

#endif
