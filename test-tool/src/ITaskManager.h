#ifndef ITASKMANAGER_H
#define ITASKMANAGER_H

#include <string>

// What a task sees of the task manager: the exit lock and the command id of the run.
class ITaskManager {
public:
    ITaskManager() {}
    virtual ~ITaskManager() {}
    virtual bool Init(std::string commandId) = 0;
    virtual void Destroy() = 0;
    virtual void LockExit() = 0;
    virtual void UnLockExit() = 0;
    virtual void Execute(std::string commandId) = 0;
    virtual std::string GetLaunchArgs() = 0;
};

#endif
