#include "TerminalRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ToolRun.h"

namespace brelta::test {

std::string RunOnTerminal(const TempDeviceRoot& root, const std::string& id) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "";
    std::string slave = ptsname(master);
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        int terminal = open(slave.c_str(), O_RDWR);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(terminal, 2);
        setenv("BRELTA_DEVICE_ROOT", root.Path().c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + root / "no-bus").c_str(), 1);
        execl(ToolRun::ToolPath().c_str(), ToolRun::ToolPath().c_str(), id.c_str(), (char*)nullptr);
        _exit(127);
    }
    if (pid < 0) {
        close(master);
        return "";
    }
    std::string drawn;
    char buffer[4096];
    double deadline = MonotonicSeconds() + 30;
    // Reading ends with EIO once the tool, the terminal's last user, has gone; a tool that
    // hangs is killed after 30 s.
    for (;;) {
        struct pollfd ready = {master, POLLIN, 0};
        if (poll(&ready, 1, 100) == 0) {
            if (MonotonicSeconds() < deadline) continue;
            kill(pid, SIGKILL);
            break;
        }
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        drawn.append(buffer, static_cast<size_t>(n));
    }
    waitpid(pid, nullptr, 0);
    close(master);
    return drawn;
}

}  // namespace brelta::test
