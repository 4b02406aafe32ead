#include "capture/LiveCapture.h"

#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
#include "base/FileUtil.h"
#include "base/ProcStat.h"
#include "base/RouteTable.h"
#include "capture/CaptureLimits.h"
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

// The word of a small file of the root: false when the file is there but does not hold one
// word (unreadable, too large, blanks inside, behind a link root may not follow); *word is
// empty when the file is missing.
bool ReadWord(const std::string& path, std::string* word) {
    word->clear();
    std::string content, more;
    errno = 0;
    if (!FileUtil::ReadGuarded(path, &content, 256)) return errno == ENOENT;
    std::istringstream words(content);
    return words >> *word && !(words >> more);
}

// The interface that network/capture_interface names, "" when it names none; false when the
// file holds something else.
bool NamedInterface(std::string* name) {
    return ReadWord(LiveCapture::InterfacePath(), name) && name->size() < IF_NAMESIZE &&
           name->find('/') == std::string::npos && *name != "." && *name != "..";
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

// The lock of starts and stops, taken within kStartWait; -1 with *reason set when it cannot be.
int TakeLock(std::string* reason) {
    // Read-only is enough for flock, and lets a user take a lock file that root made.
    std::string path = LiveCapture::PidPath();
    path.replace(path.size() - 3, 3, "lock");
    int lock = FileUtil::OpenGuarded(path, O_RDONLY | O_CREAT);
    if (lock < 0) {
        *reason = PacketCapture::Unusable(path, errno);
        return -1;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kStartWait);
    if (FileUtil::LockWithin(lock, static_cast<int>(wait.count()))) return lock;
    close(lock);
    *reason = "another start or stop of the capture did not end within " +
              std::to_string(kStartWait.count()) + " s";
    return -1;
}

std::string NetworkDir() {
    return DeviceRoot::Path() + "/network";
}

// Why the live process `helper` is not provably the helper that captures for the owner of
// the network directory; "" when it is.
std::string NotTheHelper(const LiveCapture::Helper& helper, uid_t owner) {
    std::string proc = "/proc/" + std::to_string(helper.pid);
    std::string name = "process " + std::to_string(helper.pid), uids;
    std::istringstream ids(ProcStat::StatusField(helper.pid, "Uid", &uids) ? uids : "");
    long id = 0;
    int count = 0;
    for (; ids >> id; ++count)
        if (id != static_cast<long>(owner))
            return name + " runs as user " + std::to_string(id) + ", not as the owner of " +
                   NetworkDir() + " (user " + std::to_string(owner) + ")";
    if (count != 4) return name + " cannot be looked at";
    // The program compared as a file (device and inode), not by its name.
    std::string helperPath = LiveCapture::HelperPath();
    struct stat program, installed;
    bool seen = stat((proc + "/exe").c_str(), &program) == 0;
    bool hidden = !seen && errno == EACCES;
    if (seen && stat(helperPath.c_str(), &installed) == 0 && program.st_dev == installed.st_dev &&
        program.st_ino == installed.st_ino)
        return "";
    if (hidden && geteuid() != 0) {
        // A user may not look at the program of a helper that changed its user or was given a
        // capability (the kernel hides it): its command line tells then. A user can signal
        // only their own processes anyway.
        std::string line;
        if (FileUtil::Read(proc + "/cmdline", &line, 65536) &&
            line.compare(0, helperPath.size() + 1, helperPath + std::string(1, '\0')) == 0)
            return "";
    }
    std::vector<char> text(4096);
    ssize_t n = readlink((proc + "/exe").c_str(), text.data(), text.size() - 1);
    return name + " is not the capture helper " + helperPath +
           (n > 0 ? " (its program is " + std::string(text.data(), static_cast<size_t>(n)) + ")"
                  : "");
}

// Signals the helper through a descriptor of the process itself where the kernel has them,
// so that a pid reused after the check is never the one signalled.
bool Signal(int pidfd, const LiveCapture::Helper& helper, int number) {
#ifdef SYS_pidfd_send_signal
    if (pidfd >= 0)
        return syscall(SYS_pidfd_send_signal, pidfd, number, nullptr, 0) == 0 || errno == ESRCH;
#endif
    (void)pidfd;
    return !Alive(helper) || kill(static_cast<pid_t>(helper.pid), number) == 0 || errno == ESRCH;
}
}  // namespace

std::string LiveCapture::HelperPath() {
    // The program's directory is a resolved path (no link in it), so "dir/.." is its parent.
    std::string dir = FileUtil::ProgramDir(), relative = BRELTA_CAPTURE_HELPER;
    while (relative.compare(0, 3, "../") == 0 && dir.size() > 1) {
        dir = FileUtil::Parent(dir);
        relative.erase(0, 3);
    }
    return (dir == "/" ? "" : dir) + "/" + relative;
}

std::string LiveCapture::PidPath() {
    return NetworkDir() + "/capture.pid";
}

std::string LiveCapture::InterfacePath() {
    return NetworkDir() + "/capture_interface";
}

std::string LiveCapture::SecondsPath() {
    return NetworkDir() + "/capture_seconds";
}

LiveCapture::Holder LiveCapture::Identify(Helper* helper, std::string* why) {
    int dir = FileUtil::OpenDirGuarded(NetworkDir(), false);
    struct stat owner, st;
    int fd = dir < 0 ? -1 : FileUtil::OpenAt(dir, "capture.pid", O_RDONLY, &st);
    int error = errno;
    bool owned = dir >= 0 && fstat(dir, &owner) == 0;
    if (dir >= 0) close(dir);
    std::string content;
    bool read = fd >= 0 && FileUtil::ReadOpen(fd, &content, 256);
    if (fd >= 0) close(fd);
    if (fd < 0) {
        // Nothing there, or nothing that could be a pid file of ours.
        if (error == ENOENT || error == ENOTDIR) return Holder::kNone;
        *why = PacketCapture::Unusable(PidPath(), error);
        return Holder::kOther;
    }
    // The helper writes it as the user who started it; root trusts only its own.
    if (!FileUtil::TrustedOwner(st.st_uid)) {
        *why = PidPath() + " belongs to user " + std::to_string(st.st_uid) +
               ", neither to this user nor to root";
        return Holder::kOther;
    }
    std::istringstream fields(content);
    Helper found;
    if (!read || !(fields >> found.pid >> found.startTime >> found.interface) || found.pid <= 0 ||
        !Alive(found))
        return Holder::kNone;  // names no process that is still the one it started as
    *why = owned ? NotTheHelper(found, owner.st_uid) : "cannot look at " + NetworkDir();
    if (!why->empty()) return Holder::kOther;
    *helper = found;
    return Holder::kHelper;
}

bool LiveCapture::Interface(std::string* name, std::string* reason) {
    if (!NamedInterface(name)) {
        *reason = InterfacePath() + " does not hold an interface name";
        return false;
    }
    if (name->empty()) *name = RouteTable::DefaultInterface();
    if (name->empty()) {
        *reason = "no default route, so no interface to capture on (name one)";
        return false;
    }
    // "any" is libpcap's: every interface at once.
    if (*name == "any") return true;
    // Asked of the kernel for this network namespace (sysfs may show another's).
    ifreq request = {};
    std::memcpy(request.ifr_name, name->c_str(), name->size() + 1);
    int probe = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    bool known = probe >= 0 && ioctl(probe, SIOCGIFFLAGS, &request) == 0;
    if (probe >= 0) close(probe);
    if (!known) {
        *reason = "cannot capture on " + *name + ": no such interface";
        return false;
    }
    if ((request.ifr_flags & IFF_UP) == 0) {
        *reason = "cannot capture on " + *name + ": the interface is not up";
        return false;
    }
    return true;
}

LiveNeed LiveCapture::Need() {
    std::string reason, name;
    if (Ready(&reason) && Interface(&name, &reason)) {
        bool named = FileUtil::Exists(InterfacePath());
        return {true, "the capture helper " + HelperPath() + ", on " + name +
                          (named ? " (network/capture_interface)" : " (the default route's)")};
    }
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
    std::string effective;
    if (ProcStat::StatusField(0, "CapEff", &effective) &&
        (std::strtoull(effective.c_str(), nullptr, 16) >> kCapNetRaw & 1) != 0)
        return true;
    *reason = "capturing needs root or CAP_NET_RAW";
    return false;
}

int LiveCapture::Start() {
    // Of two starts at one moment, the second waits for the first's verdict, and then finds
    // its capture running rather than start another over the same file.
    std::string reason;
    int lock = TakeLock(&reason);
    if (lock < 0) return Failed(reason);
    int result = StartHelper();
    close(lock);
    return result;
}

int LiveCapture::StartHelper() {
    Helper helper;
    std::string why;
    if (Identify(&helper, &why) == Holder::kHelper) return CONNECTION_ERROR_NONE;
    std::string interface, seconds;
    if (!NamedInterface(&interface))
        return Failed(InterfacePath() + " does not hold an interface name");
    long limit = capture::kDefaultSeconds;
    if (!ReadWord(SecondsPath(), &seconds)) return Failed(SecondsPath() + " is unreadable");
    if (!seconds.empty()) {
        char* end = nullptr;
        errno = 0;
        limit = std::strtol(seconds.c_str(), &end, 10);
        if (errno != 0 || *end != '\0' || limit < 1 || limit > capture::kMaxSeconds)
            return Failed(SecondsPath() + " does not hold a number of seconds (1 to " +
                          std::to_string(capture::kMaxSeconds) + ")");
    }
    // The helper captures as the owner of the directory that it writes its state in to the
    // end (the lock, made above, has made it).
    int dir = FileUtil::OpenDirGuarded(NetworkDir(), false);
    struct stat owner;
    bool owned = dir >= 0 && fstat(dir, &owner) == 0;
    int error = errno;
    if (dir >= 0) close(dir);
    if (!owned) return Failed(PacketCapture::Unusable(NetworkDir(), error));

    std::vector<std::string> args = {
        HelperPath(),
        "--output",
        PacketCapture::FilePath(),
        "--pid-file",
        PidPath(),
        "--state-file",
        PacketCapture::StatePath(),
        "--seconds",
        std::to_string(limit),
        "--user",
        std::to_string(owner.st_uid) + ":" + std::to_string(owner.st_gid)};
    if (!interface.empty()) {
        args.push_back("--interface");
        args.push_back(interface);
    }
    int status = 0;
    std::string report;
    bool answered = RunHelper(args, &status, &report);
    if (answered && WIFEXITED(status) && WEXITSTATUS(status) == 0) return CONNECTION_ERROR_NONE;
    // A helper that answered late may capture all the same; it is the capture then.
    if (!answered && Identify(&helper, &why) == Holder::kHelper) return CONNECTION_ERROR_NONE;
    while (!report.empty() && std::isspace(static_cast<unsigned char>(report.back())))
        report.pop_back();
    const std::string prefix = "brelta-capture: ";
    if (report.compare(0, prefix.size(), prefix) == 0) report.erase(0, prefix.size());
    if (report.empty()) report = "the capture helper failed without saying why";
    return Failed(report);
}

int LiveCapture::Stop() {
    // Not while a start is under way: its helper has not yet become the owner's.
    std::string reason;
    int lock = TakeLock(&reason);
    if (lock < 0) return Failed(reason);
    Helper helper;
    Holder holder = Identify(&helper, &reason);
    int result = CONNECTION_ERROR_NONE;
    if (holder == Holder::kOther) {
        result = Failed(reason + "; nothing signalled");
    } else if (holder == Holder::kHelper) {
        int pidfd = -1;
#ifdef SYS_pidfd_open
        pidfd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(helper.pid), 0));
#endif
        // Opened after the check: the process it holds is the one checked while the pid
        // still has the start time of the pid file.
        if (!Alive(helper)) {
            // Ended meanwhile.
        } else if (!Signal(pidfd, helper, SIGTERM)) {
            result = Failed("cannot stop the capture helper (pid " + std::to_string(helper.pid) +
                            "): " + std::strerror(errno));
        } else if (!WaitGone(helper, kStopWait)) {
            Signal(pidfd, helper, SIGKILL);
            WaitGone(helper, kKillWait);
            Failed("the capture helper (pid " + std::to_string(helper.pid) +
                   ") did not stop within " + std::to_string(kStopWait.count()) + " s; killed");
        }
        if (pidfd >= 0) close(pidfd);
    }
    if (result == CONNECTION_ERROR_NONE && !PacketCapture::Stop(true, &reason))
        result = Failed(reason);
    close(lock);
    return result;
}

bool LiveCapture::Running() {
    Helper helper;
    std::string why;
    return Identify(&helper, &why) == Holder::kHelper;
}

}  // namespace brelta::host
