#include "CTaskManager.h"

#include "BreltaLog.h"
#include "CTestTaskFactory.h"

int CTaskManager::timeout = 5;

CTaskManager::CTaskManager(GMainLoop* loop)
    : m_LockCount(0),
      m_IdleSourceId(0),
      m_TimeoutSourceId(0),
      m_MainLoop(loop),
      m_Task(nullptr),
      m_LaunchArgs() {}

// Sources and the task are released by Destroy, which the entry point calls first.
CTaskManager::~CTaskManager() {}

bool CTaskManager::Init(std::string commandId) {
    m_LaunchArgs = commandId;
    m_Task = CTestTaskFactory::GetTask(this, commandId);
    if (m_Task == nullptr) {
        BRELTA_LOGI("invalid argument");
        return false;
    }
    m_IdleSourceId = g_idle_add(_OnIdle, this);
    return true;
}

gboolean CTaskManager::_OnIdle(gpointer userData) {
    CTaskManager* self = static_cast<CTaskManager*>(userData);
    self->Execute(self->m_LaunchArgs);
    self->m_IdleSourceId = 0;
    return FALSE;
}

void CTaskManager::Execute(std::string commandId) {
    LockExit();
    m_Task->Execute(commandId, std::string());
    UnLockExit();
}

void CTaskManager::LockExit() {
    m_LockCount += 1;
    BRELTA_LOGI("lOCK ++ %d", m_LockCount);
}

void CTaskManager::UnLockExit() {
    m_LockCount -= 1;
    BRELTA_LOGI("UNLOCK -- %d", m_LockCount);
    if (m_LockCount <= 0) Exit();
}

void CTaskManager::Exit() {
    BRELTA_LOGI("EXITING in %d seconds ...", CTaskManager::timeout);
    // Every release to zero restarts the delay in full.
    if (m_TimeoutSourceId != 0) {
        g_source_remove(m_TimeoutSourceId);
        m_TimeoutSourceId = 0;
    }
    m_TimeoutSourceId = g_timeout_add_seconds(
        static_cast<guint>(CTaskManager::timeout),
        [](gpointer userData) -> gboolean {
            CTaskManager* self = static_cast<CTaskManager*>(userData);
            BRELTA_LOGI("EXITING.");
            self->m_TimeoutSourceId = 0;
            g_main_loop_quit(self->m_MainLoop);
            return FALSE;
        },
        this);
}

void CTaskManager::Destroy() {
    if (m_IdleSourceId != 0) {
        g_source_remove(m_IdleSourceId);
        m_IdleSourceId = 0;
    }
    if (m_TimeoutSourceId != 0) {
        g_source_remove(m_TimeoutSourceId);
        m_TimeoutSourceId = 0;
    }
    if (m_Task != nullptr) {
        delete m_Task;
        m_Task = nullptr;
    }
}

std::string CTaskManager::GetLaunchArgs() {
    return m_LaunchArgs;
}
