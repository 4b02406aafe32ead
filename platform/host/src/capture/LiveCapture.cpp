#include "capture/LiveCapture.h"

#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <net_connection.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "base/DeviceRoot.h"
#include "base/ProcStat.h"
#include "capture/CaptureLimits.h"
#include "base/FileUtil.h"
#include "capture/PacketCapture.h"

#ifndef BRELTA_CAPTURE_HELPER
#define BRELTA_CAPTURE_HELPER "../libexec/brelta-test-tool/brelta-capture"
#endif

extern char** environ;

namespace brelta::host {

namespace {
using Clock = std::chrono::steady_clock;

// The helper gives up by itself when it is not capturing 5 s after its start; this is the
// caller's bound over that, so that a helper stuck beyond its own bound cannot hang a start.
constexpr std::chrono::seconds kStartWait(6);
// How long a helper has to end after SIGTERM before it is killed, and then to be gone.
constexpr std::chrono::seconds kStopWait(5);
constexpr std::chrono::seconds kKillWait(1);
// What the helper may say about a failed start; the rest is not read.
constexpr size_t kMaxReport = 4096;
constexpr int kCapNetRaw = 13;

int Fail(const std::string& reason) {
    std::fprintf(stderr, "brelta: capture: %s\n", reason.c_str());
    return CONNECTION_ERROR_OPERATION_FAILED;
}

// The word of a small file of the root: false when the file is there but does not hold one
// word (unreadable, too large, blanks inside); *word is empty when the file is missing.
bool ReadWord(const std::string& path, std::string* word) {
    word->clear();
    if (!FileUtil::Exists(path)) return true;
    std::string content, more;
    if (!FileUtil::Read(path, &content, 256)) return false;
    std::istringstream words(content);
    return words >> *word && !(words >> more);
}

bool Alive(const LiveCapture::Helper& helper) {
    return ProcStat::Alive(helper.pid, helper.startTime);
}

// Waits until the helper has ended: on a pidfd when the kernel has them (the helper is not a
// child of this process, so there is nothing to wait for otherwise), else by looking again
// every 10 ms.
bool WaitGone(const LiveCapture::Helper& helper, Clock::duration bound) {
    Clock::time_point deadline = Clock::now() + bound;
#ifdef SYS_pidfd_open
    int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(helper.pid), 0));
    if (fd >= 0) {
        // Opened after the pid was checked: a pid reused meanwhile is seen by Alive below.
        while (Alive(helper)) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            pollfd ended = {fd, POLLIN, 0};
            poll(&ended, 1, static_cast<int>(left.count()));
        }
        close(fd);
        return !Alive(helper);
    }
#endif
    while (Alive(helper) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !Alive(helper);
}

std::string ExecutableDir() {
    std::vector<char> path(4096);
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return ".";
    return FileUtil::Parent(std::string(path.data(), static_cast<size_t>(n)));
}

// Runs the helper and waits, within kStartWait, for its verdict: its exit status once it
// captures or gives up, and what it printed. False with *report set when it cannot be run or
// does not answer in time.
bool RunHelper(const std::vector<std::string>& args, int* status, std::string* report) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        *report = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    // The helper starts with no signal blocked, whatever this thread blocks now.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        *report = "cannot run the capture helper " + args[0] + ": " + std::strerror(spawned);
        return false;
    }

    Clock::time_point deadline = Clock::now() + kStartWait;
    auto left = [&deadline] {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
    };
    char buffer[512];
    bool ended = false;
    for (;;) {
        pollfd readable = {out[0], POLLIN, 0};
        int ready = poll(&readable, 1, left());
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ended = true;
            break;
        }
        if (report->size() < kMaxReport) report->append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    // The started process ends right after its last word; the capture goes on in its child.
    while (ended) {
        pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) {
            // Reaped by someone else: its pid may be another process's by now.
            *report = std::string("the capture helper's end was not seen: ") + std::strerror(errno);
            return false;
        }
        if (left() == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
    *report = "the capture helper did not start within " +
              std::to_string(std::chrono::seconds(kStartWait).count()) + " s";
    return false;
}

// The capture file as a stop leaves it: up to its last whole packet (a helper killed in the
// middle of a write may have left part of one), or an empty capture when there is none.
bool FinishFile() {
    std::string file = PacketCapture::FilePath();
    if (PacketCapture::IsPcapFile(file)) return PacketCapture::KeepWholeRecords(file);
    return FileUtil::WriteAtomically(file, PacketCapture::EmptyCapture());
}
}  // namespace

std::string LiveCapture::HelperPath() {
    return ExecutableDir() + "/" BRELTA_CAPTURE_HELPER;
}

std::string LiveCapture::PidPath() {
    return DeviceRoot::MakeDir("network") + "/capture.pid";
}

std::string LiveCapture::InterfacePath() {
    return DeviceRoot::MakeDir("network") + "/capture_interface";
}

std::string LiveCapture::SecondsPath() {
    return DeviceRoot::MakeDir("network") + "/capture_seconds";
}

bool LiveCapture::Find(Helper* helper) {
    std::string content;
    if (!FileUtil::Read(PidPath(), &content, 256)) return false;
    std::istringstream fields(content);
    Helper found;
    if (!(fields >> found.pid >> found.startTime >> found.interface) || found.pid <= 0)
        return false;
    if (!Alive(found)) return false;
    *helper = found;
    return true;
}

LiveNeed LiveCapture::Need() {
    std::string reason;
    if (Ready(&reason)) return {true, "the capture helper " + HelperPath()};
    return {false, reason + ": every start fails"};
}

bool LiveCapture::Ready(std::string* reason) {
    std::string helper = HelperPath();
    if (access(helper.c_str(), X_OK) != 0) {
        *reason = "the capture helper " + helper + " is missing";
        return false;
    }
    if (geteuid() == 0 || getxattr(helper.c_str(), "security.capability", nullptr, 0) > 0)
        return true;
    std::string status;
    FileUtil::Read("/proc/self/status", &status, 65536);
    std::string::size_type at = status.find("\nCapEff:");
    if (at != std::string::npos &&
        (std::strtoull(status.c_str() + at + 8, nullptr, 16) >> kCapNetRaw & 1) != 0)
        return true;
    *reason = "capturing needs root or CAP_NET_RAW";
    return false;
}

int LiveCapture::Start() {
    // Of two starts at one moment, the second waits for the first's verdict, and then finds
    // its capture running rather than start another over the same file.
    int lock =
        FileUtil::OpenRegular(DeviceRoot::MakeDir("network") + "/capture.lock", O_RDWR | O_CREAT);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kStartWait);
    if (lock >= 0 && !FileUtil::LockWithin(lock, static_cast<int>(wait.count()))) {
        close(lock);
        return Fail("another start of the capture did not end within " +
                    std::to_string(kStartWait.count()) + " s");
    }
    int result = StartHelper();
    if (lock >= 0) close(lock);
    return result;
}

int LiveCapture::StartHelper() {
    Helper helper;
    if (Find(&helper)) return CONNECTION_ERROR_NONE;
    std::string interface, seconds;
    if (!ReadWord(InterfacePath(), &interface) || interface.size() >= IF_NAMESIZE ||
        interface.find('/') != std::string::npos)
        return Fail(InterfacePath() + " does not hold an interface name");
    long limit = capture::kDefaultSeconds;
    if (!ReadWord(SecondsPath(), &seconds)) return Fail(SecondsPath() + " is unreadable");
    if (!seconds.empty()) {
        char* end = nullptr;
        errno = 0;
        limit = std::strtol(seconds.c_str(), &end, 10);
        if (errno != 0 || *end != '\0' || limit < 1 || limit > capture::kMaxSeconds)
            return Fail(SecondsPath() + " does not hold a number of seconds (1 to " +
                        std::to_string(capture::kMaxSeconds) + ")");
    }

    std::string file = PacketCapture::FilePath();
    std::vector<std::string> args = {HelperPath(),
                                     "--output",
                                     file,
                                     "--pid-file",
                                     PidPath(),
                                     "--state-file",
                                     PacketCapture::StatePath(),
                                     "--seconds",
                                     std::to_string(limit)};
    if (!interface.empty()) {
        args.push_back("--interface");
        args.push_back(interface);
    }
    int status = 0;
    std::string report;
    bool answered = RunHelper(args, &status, &report);
    if (answered && WIFEXITED(status) && WEXITSTATUS(status) == 0) return CONNECTION_ERROR_NONE;
    // A helper that answered late may capture all the same; it is the capture then.
    if (!answered && Find(&helper)) return CONNECTION_ERROR_NONE;
    while (!report.empty() && std::isspace(static_cast<unsigned char>(report.back())))
        report.pop_back();
    const std::string prefix = "brelta-capture: ";
    if (report.compare(0, prefix.size(), prefix) == 0) report.erase(0, prefix.size());
    if (report.empty()) report = "the capture helper failed without saying why";
    return Fail(report);
}

int LiveCapture::Stop() {
    Helper helper;
    if (Find(&helper)) {
        if (kill(static_cast<pid_t>(helper.pid), SIGTERM) != 0)
            return Fail("cannot stop the capture helper (pid " + std::to_string(helper.pid) +
                        "): " + std::strerror(errno));
        if (!WaitGone(helper, kStopWait)) {
            kill(static_cast<pid_t>(helper.pid), SIGKILL);
            WaitGone(helper, kKillWait);
            Fail("the capture helper (pid " + std::to_string(helper.pid) +
                 ") did not stop within " + std::to_string(kStopWait.count()) + " s; killed");
        }
    }
    bool stopped = FileUtil::WriteAtomically(PacketCapture::StatePath(), "stopped");
    return stopped && FinishFile() ? CONNECTION_ERROR_NONE : CONNECTION_ERROR_OPERATION_FAILED;
}

bool LiveCapture::Running() {
    Helper helper;
    return Find(&helper);
}

}  // namespace brelta::host
