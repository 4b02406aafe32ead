#ifndef BRELTA_TESTS_FAKETASKMANAGER_H
#define BRELTA_TESTS_FAKETASKMANAGER_H

#include <string>

#include "ITaskManager.h"

namespace brelta::test {

// A task manager for running one task directly: it answers GetLaunchArgs with the command
// id it was given and counts the exit locks a task takes and releases on its own.
class FakeTaskManager : public ITaskManager {
public:
    explicit FakeTaskManager(std::string launchArgs = "") : m_LaunchArgs(launchArgs) {}
    bool Init(std::string) override { return true; }
    void Destroy() override {}
    void LockExit() override { ++locks; }
    void UnLockExit() override { ++unlocks; }
    void Execute(std::string) override {}
    std::string GetLaunchArgs() override { return m_LaunchArgs; }

    int locks = 0;
    int unlocks = 0;

private:
    std::string m_LaunchArgs;
};

}  // namespace brelta::test

#endif
