#include "ToolRun.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace brelta::test {

double MonotonicSeconds() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

namespace {
std::string TempFile(const char* what) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brelta-" + what + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    return name.data();
}

// The programs of a cross build run here through the emulator that the build names
// (CMAKE_CROSSCOMPILING_EMULATOR, compiled in): the kernel has no binfmt_misc entry for them.
// Host programs (/bin/sh) run as they are.
std::vector<std::string> EmulatorOf(const std::string& program) {
    std::vector<std::string> words;
#ifdef BRELTA_EMULATOR
    if (program.rfind(BRELTA_HELPER_DIR "/", 0) != 0) return words;
    std::istringstream in(BRELTA_EMULATOR);
    for (std::string word; in >> word;) words.push_back(word);
#else
    (void)program;
#endif
    return words;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

std::string ToolRun::ToolPath() {
    const char* path = std::getenv("BRELTA_TOOL");
    return path != nullptr && *path ? path : BRELTA_TOOL_PATH;
}

ToolRun::ToolRun(const TempDeviceRoot& root, std::string program) : m_Program(program) {
    m_Set["BRELTA_DEVICE_ROOT"] = root.Path();
    m_Set["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + root.Path() + "/no-system-bus";
    // The tool takes its locale from the settings store; what the test machine's shell
    // carries would change which setlocale records it writes.
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_TIME",
                             "LC_COLLATE", "LC_MONETARY", "LC_MESSAGES", "LC_PAPER", "LC_NAME",
                             "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
        m_Unset.push_back(name);
    m_OutPath = TempFile("out");
    m_ErrPath = TempFile("err");
}

ToolRun::~ToolRun() {
    if (m_Pid > 0) {
        kill(m_Pid, SIGKILL);
        waitpid(m_Pid, nullptr, 0);
    }
    unlink(m_OutPath.c_str());
    unlink(m_ErrPath.c_str());
}

ToolRun& ToolRun::Env(const std::string& name, const std::string& value) {
    m_Set[name] = value;
    return *this;
}

ToolRun& ToolRun::Unset(const std::string& name) {
    m_Set.erase(name);
    m_Unset.push_back(name);
    return *this;
}

ToolRun& ToolRun::NoArgv0() {
    m_NoArgv0 = true;
    return *this;
}

ToolRun& ToolRun::AsUser(uid_t uid, gid_t gid) {
    m_AsUser = true;
    m_Uid = uid;
    m_Gid = gid;
    return *this;
}

pid_t ToolRun::Start(const std::vector<std::string>& args) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool drop = m_Set.count(name) > 0;
        for (const std::string& u : m_Unset) drop = drop || u == name;
        if (!drop) env.push_back(entry);
    }
    for (const auto& kv : m_Set) env.push_back(kv.first + "=" + kv.second);

    std::vector<std::string> argv = EmulatorOf(m_Program);
    std::string executable = argv.empty() ? m_Program : argv[0];
    // An emulator is told the program in its arguments, so no empty vector reaches it.
    if (!m_NoArgv0 || !argv.empty()) {
        argv.push_back(m_Program);
        argv.insert(argv.end(), args.begin(), args.end());
    }
    std::vector<char*> argvp, envp;
    for (std::string& a : argv) argvp.push_back(&a[0]);
    argvp.push_back(nullptr);
    for (std::string& e : env) envp.push_back(&e[0]);
    envp.push_back(nullptr);

    m_Started = MonotonicSeconds();
    m_Pid = fork();
    if (m_Pid < 0) throw std::runtime_error("fork failed");
    if (m_Pid == 0) {
        // Own process group, so that a time-out also ends the tool's children (MDT).
        setpgid(0, 0);
        int out = open(m_OutPath.c_str(), O_WRONLY | O_TRUNC);
        int err = open(m_ErrPath.c_str(), O_WRONLY | O_TRUNC);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (m_AsUser && (setgroups(0, nullptr) != 0 || setgid(m_Gid) != 0 || setuid(m_Uid) != 0))
            _exit(126);
        execve(executable.c_str(), argvp.data(), envp.data());
        _exit(127);
    }
    setpgid(m_Pid, m_Pid);
    return m_Pid;
}

RunResult ToolRun::Wait(double timeoutSeconds) {
    RunResult result;
    result.pid = m_Pid;
    int status = 0;
    double deadline = m_Started + timeoutSeconds;
    for (;;) {
        pid_t done = waitpid(m_Pid, &status, WNOHANG);
        if (done == m_Pid) break;
        if (MonotonicSeconds() > deadline) {
            kill(-m_Pid, SIGKILL);
            waitpid(m_Pid, &status, 0);
            result.timedOut = true;
            break;
        }
        usleep(10000);
    }
    result.seconds = MonotonicSeconds() - m_Started;
    m_Pid = 0;
    result.exited = !result.timedOut && WIFEXITED(status);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = Slurp(m_OutPath);
    result.err = Slurp(m_ErrPath);
    // The sanitizer runtimes of an instrumented build write their report to standard error
    // and end the run; the report is what a developer needs to see.
    if (result.err.find("Sanitizer") != std::string::npos ||
        result.err.find("runtime error:") != std::string::npos)
        ADD_FAILURE() << "sanitizer report of pid " << result.pid << ":\n" << result.err;
    return result;
}

}  // namespace brelta::test
