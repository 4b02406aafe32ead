#ifndef ITASK_H
#define ITASK_H

#include <string>

#include "ITaskManager.h"

// Base of every task. The destructor is pure so that only concrete tasks can be made, and
// each of them defines its own (which writes the task's destruction record).
class ITask {
public:
    explicit ITask(ITaskManager& taskManager) : m_TaskManager(taskManager) {}
    virtual ~ITask() = 0;
    virtual void Execute(std::string commandId, std::string extra) {
        (void)commandId;
        (void)extra;
    }

protected:
    ITaskManager& m_TaskManager;
};

inline ITask::~ITask() {}

#endif
