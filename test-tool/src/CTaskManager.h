#ifndef CTASKMANAGER_H
#define CTASKMANAGER_H

#include <glib.h>

#include <string>

#include "ITask.h"
#include "ITaskManager.h"

// Owns the one task of the run: runs it once from the idle phase of the main loop under the
// exit lock, and quits the loop `timeout` seconds after the lock has dropped to zero.
class CTaskManager : public ITaskManager {
public:
    // Exit delay in seconds; the task factory sets it for every command id.
    static int timeout;

    explicit CTaskManager(GMainLoop* loop);
    ~CTaskManager() override;

    bool Init(std::string commandId) override;
    void Destroy() override;
    void LockExit() override;
    void UnLockExit() override;
    void Execute(std::string commandId) override;
    std::string GetLaunchArgs() override;
    void Exit();

private:
    static gboolean _OnIdle(gpointer userData);

    int m_LockCount;
    guint m_IdleSourceId;
    guint m_TimeoutSourceId;
    GMainLoop* m_MainLoop;
    ITask* m_Task;
    std::string m_LaunchArgs;
};

#endif
