#ifndef BRELTA_TESTS_TOOLRUN_H
#define BRELTA_TESTS_TOOLRUN_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "TempDeviceRoot.h"

namespace brelta::test {

struct RunResult {
    bool exited = false;  // ended by exit (not by a signal or the time-out)
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    double seconds = 0;
    std::string out;
    std::string err;
    pid_t pid = 0;
};

// Runs a program (the built tool by default) against a device root, with the environment of
// the test plus the root and a system bus address that leads nowhere unless a test sets one,
// and without the locale variables (LANG, LC_*), which a test sets with Env when it needs them.
class ToolRun {
public:
    explicit ToolRun(const TempDeviceRoot& root, std::string program = ToolPath());
    ~ToolRun();

    static std::string ToolPath();

    ToolRun& Env(const std::string& name, const std::string& value);
    ToolRun& Unset(const std::string& name);
    // Runs with an empty argument vector (argc 0).
    ToolRun& NoArgv0();
    // Runs as another user (the test must be root to do so).
    ToolRun& AsUser(uid_t uid, gid_t gid);

    // Starts the program with these arguments after argv[0].
    pid_t Start(const std::vector<std::string>& args);
    // Waits for the started program; after timeoutSeconds it is killed (SIGKILL). A sanitizer
    // report on its standard error fails the current test, whatever the test checks.
    RunResult Wait(double timeoutSeconds);
    RunResult Run(const std::vector<std::string>& args, double timeoutSeconds = 30) {
        Start(args);
        return Wait(timeoutSeconds);
    }

private:
    std::string m_Program;
    std::map<std::string, std::string> m_Set;
    std::vector<std::string> m_Unset;
    bool m_NoArgv0 = false;
    bool m_AsUser = false;
    uid_t m_Uid = 0;
    gid_t m_Gid = 0;
    pid_t m_Pid = 0;
    double m_Started = 0;
    std::string m_OutPath;
    std::string m_ErrPath;
};

double MonotonicSeconds();

}  // namespace brelta::test

#endif
