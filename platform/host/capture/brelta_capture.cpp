// brelta-capture: the packet capture behind the host platform's live capture service.
//
//   brelta-capture --output FILE [--interface NAME] [--seconds N] [--max-bytes N]
//                  [--pid-file FILE] [--state-file FILE] [--foreground]
//
// Captures on one interface (the one named, else the default route's) into a pcap file, until
// SIGTERM or SIGINT, until the file has reached its bound (1,048,576 bytes by default: what
// the tool's export copies), or until its time is up (600 s by default, kDefaultSeconds). The file
// is valid from the start and after every write, up to the last whole packet. A stop takes a fifth
// of a second: every packet that came before it is written.
//
// Unless --foreground is given it detaches: the capture runs in a session of its own and
// outlives whoever started it, and the program that was started exits 0 as soon as the
// capture runs, or prints the reason and exits 1 when it cannot. --pid-file names the file
// that says which process captures ("PID START-TIME INTERFACE", the start time as
// /proc/PID/stat gives it, so that a reused pid is not mistaken for the capture);
// --state-file the file that says "running" while it does and "stopped" after.
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pcap/pcap.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "RecordWriter.h"
#include "base/FileUtil.h"
#include "base/ProcStat.h"
#include "base/RouteTable.h"
#include "capture/CaptureLimits.h"

using brelta::capture::kDefaultSeconds;
using brelta::capture::kMaxBytes;
using brelta::capture::kMaxSeconds;
using brelta::capture::kSnapLength;
using brelta::capture::RecordWriter;
using brelta::host::FileUtil;
using brelta::host::ProcStat;
using brelta::host::RouteTable;

namespace {
// A process that is not capturing this long after its start has hung (in the kernel or on a
// file under the device root): it ends itself, and whoever started it reports that.
constexpr unsigned kStartSeconds = 5;
// The kernel hands packets over a block of its buffer at a time, a block when it is full or
// this long after it was begun. Not immediate mode (each packet handed over alone): on `lo`
// that mode's buffer holds a few dozen packets of the interface's 64 KiB maximum each, and
// the capture dropped two thirds of a flood at 17 times the CPU time (bench/capture). A stop
// instead goes on taking blocks for two such times, until the kernel has closed the block that
// holds the last packet before the stop, so none is lost.
constexpr int kBlockMilliseconds = 100;

struct Options {
    std::string interface, output, pidFile, stateFile;
    long seconds = kDefaultSeconds;
    uint64_t maxBytes = kMaxBytes;
    bool foreground = false;
};

volatile sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

[[noreturn]] void Usage(const char* problem) {
    std::fprintf(stderr,
                 "brelta-capture: %s\n"
                 "usage: brelta-capture --output FILE [--interface NAME] [--seconds N] "
                 "[--max-bytes N]\n"
                 "                      [--pid-file FILE] [--state-file FILE] [--foreground]\n",
                 problem);
    std::exit(2);
}

bool Number(const char* text, uint64_t min, uint64_t max, uint64_t* value) {
    char* end = nullptr;
    errno = 0;
    unsigned long long n = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || n < min || n > max)
        return false;
    *value = n;
    return true;
}

Options Parse(int argc, char** argv) {
    enum { kInterface = 1, kOutput, kPidFile, kStateFile, kSeconds_, kMaxBytes_, kForeground };
    const option longOptions[] = {{"interface", required_argument, nullptr, kInterface},
                                  {"output", required_argument, nullptr, kOutput},
                                  {"pid-file", required_argument, nullptr, kPidFile},
                                  {"state-file", required_argument, nullptr, kStateFile},
                                  {"seconds", required_argument, nullptr, kSeconds_},
                                  {"max-bytes", required_argument, nullptr, kMaxBytes_},
                                  {"foreground", no_argument, nullptr, kForeground},
                                  {nullptr, 0, nullptr, 0}};
    Options options;
    opterr = 0;
    int option;
    uint64_t n = 0;
    while ((option = getopt_long(argc, argv, "", longOptions, nullptr)) != -1) {
        switch (option) {
            case kInterface:
                options.interface = optarg;
                break;
            case kOutput:
                options.output = optarg;
                break;
            case kPidFile:
                options.pidFile = optarg;
                break;
            case kStateFile:
                options.stateFile = optarg;
                break;
            case kSeconds_:
                if (!Number(optarg, 1, kMaxSeconds, &n))
                    Usage(("--seconds needs 1 to " + std::to_string(kMaxSeconds)).c_str());
                options.seconds = static_cast<long>(n);
                break;
            case kMaxBytes_:
                if (!Number(optarg, 24, UINT64_MAX, &n)) Usage("--max-bytes needs 24 or more");
                options.maxBytes = n;
                break;
            case kForeground:
                options.foreground = true;
                break;
            default:
                Usage("unknown option or missing value");
        }
    }
    if (optind != argc) Usage("unexpected operand");
    if (options.output.empty()) Usage("--output is needed");
    return options;
}

// Field 22 of /proc/self/stat: when the process started, in clock ticks since boot.
std::string StartTime() {
    ProcStat stat;
    return ProcStat::ReadSelf(&stat) ? stat.started : "0";
}

std::string ActivationError(pcap_t* handle, int status) {
    switch (status) {
        case PCAP_ERROR_NO_SUCH_DEVICE:
            return "no such interface";
        case PCAP_ERROR_PERM_DENIED:
            return "not permitted (root or CAP_NET_RAW is needed)";
        case PCAP_ERROR_IFACE_NOT_UP:
            return "the interface is not up";
        default:
            return pcap_geterr(handle);
    }
}

class Capture {
public:
    explicit Capture(const Options& options) : m_Options(options) {}
    ~Capture() {
        if (m_Handle != nullptr) pcap_close(m_Handle);
    }

    // Opens the interface and the file; on failure *reason says why.
    bool Open(std::string* reason);
    // Captures until a signal, the bound, the time limit or an error; returns why it ended.
    std::string Run();
    // What the capture wrote and what the kernel counted, one line.
    std::string Summary(const std::string& ending);
    const std::string& Interface() const { return m_Interface; }

private:
    static void OnPacket(u_char* self, const pcap_pkthdr* header, const u_char* data);
    bool Drain(std::string* ending);

    const Options& m_Options;
    std::string m_Interface;
    pcap_t* m_Handle = nullptr;
    std::unique_ptr<RecordWriter> m_Writer;
    bool m_Full = false;
    bool m_WriteFailed = false;
};

bool Capture::Open(std::string* reason) {
    m_Interface =
        m_Options.interface.empty() ? RouteTable::DefaultInterface() : m_Options.interface;
    if (m_Interface.empty()) {
        *reason = "no default route, so no interface to capture on (name one)";
        return false;
    }
    char error[PCAP_ERRBUF_SIZE] = "";
    m_Handle = pcap_create(m_Interface.c_str(), error);
    if (m_Handle == nullptr) {
        *reason = "cannot capture on " + m_Interface + ": " + error;
        return false;
    }
    pcap_set_snaplen(m_Handle, kSnapLength);
    pcap_set_timeout(m_Handle, kBlockMilliseconds);
    int status = pcap_activate(m_Handle);
    if (status < 0) {
        *reason = "cannot capture on " + m_Interface + ": " + ActivationError(m_Handle, status);
        return false;
    }
    if (pcap_setnonblock(m_Handle, 1, error) != 0 || pcap_get_selectable_fd(m_Handle) < 0) {
        *reason = "cannot capture on " + m_Interface + ": no descriptor to wait on";
        return false;
    }
    int fd = open(m_Options.output.c_str(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        fd = -1;
        errno = EINVAL;
    }
    if (fd < 0) {
        *reason = "cannot write " + m_Options.output + ": " + std::strerror(errno);
        return false;
    }
    m_Writer.reset(new RecordWriter(fd, m_Options.maxBytes));
    if (!m_Writer->Begin(m_Handle)) {
        *reason = "cannot write " + m_Options.output + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void Capture::OnPacket(u_char* self, const pcap_pkthdr* header, const u_char* data) {
    Capture* capture = reinterpret_cast<Capture*>(self);
    RecordWriter::Added added = capture->m_Writer->Add(*header, data);
    if (added == RecordWriter::Added::Yes) return;
    (added == RecordWriter::Added::Full ? capture->m_Full : capture->m_WriteFailed) = true;
    pcap_breakloop(capture->m_Handle);
}

// Hands every packet waiting in the kernel's buffer to the file; false with *ending set when
// the capture must end.
bool Capture::Drain(std::string* ending) {
    int n = pcap_dispatch(m_Handle, -1, OnPacket, reinterpret_cast<u_char*>(this));
    if (!m_WriteFailed && !m_Writer->Flush()) m_WriteFailed = true;
    if (m_WriteFailed)
        *ending = "cannot write " + m_Options.output + ": " + std::strerror(errno);
    else if (m_Full)
        *ending = "size bound reached";
    else if (n == PCAP_ERROR)
        *ending = std::string("capture failed: ") + pcap_geterr(m_Handle);
    else
        return true;
    return false;
}

std::string Capture::Run() {
    const auto now = [] {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    };
    int64_t end = now() + static_cast<int64_t>(m_Options.seconds) * 1000;
    bool draining = false;
    // The stop signals are blocked but while waiting: one that comes during a write is taken
    // at the next wait, after the packets already read are written.
    sigset_t waiting;
    sigprocmask(SIG_SETMASK, nullptr, &waiting);
    sigdelset(&waiting, SIGTERM);
    sigdelset(&waiting, SIGINT);
    pollfd descriptor = {pcap_get_selectable_fd(m_Handle), POLLIN, 0};
    std::string ending;
    while (Drain(&ending)) {
        int64_t left = end - now();
        if (!draining && (g_stop || left <= 0)) {
            ending = g_stop ? "stopped" : "time limit reached";
            draining = true;
            end = now() + 2 * kBlockMilliseconds;
            left = end - now();
        }
        if (left <= 0) return ending;
        timespec wait = {static_cast<time_t>(left / 1000),
                         static_cast<long>(left % 1000) * 1000000};
        ppoll(&descriptor, 1, &wait, &waiting);
    }
    return ending;
}

std::string Capture::Summary(const std::string& ending) {
    pcap_stat stats = {};
    pcap_stats(m_Handle, &stats);
    return "brelta-capture: " + ending + ": " + std::to_string(m_Writer->Packets()) +
           " packets written (" + std::to_string(m_Writer->Bytes()) +
           " bytes); kernel: " + std::to_string(stats.ps_recv) + " received, " +
           std::to_string(stats.ps_drop) + " dropped, " + std::to_string(stats.ps_ifdrop) +
           " dropped by the interface";
}

void BlockStopSignals() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
}

// Forks; the parent waits for the child's word that it captures and ends with the child's
// verdict, the child returns the descriptor to give that word on.
int Detach() {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        std::perror("brelta-capture: pipe");
        std::exit(1);
    }
    pid_t child = fork();
    if (child < 0) {
        std::perror("brelta-capture: fork");
        std::exit(1);
    }
    if (child == 0) {
        close(ready[0]);
        setsid();
        return ready[1];
    }
    close(ready[1]);
    char word = 0;
    ssize_t n;
    while ((n = read(ready[0], &word, 1)) < 0 && errno == EINTR) {
    }
    if (n == 1) _exit(0);
    // The child ended without capturing, having printed why.
    int status = 0;
    waitpid(child, &status, 0);
    _exit(1);
}

void Detached(int ready) {
    char word = 'R';
    ssize_t ignored = write(ready, &word, 1);
    (void)ignored;
    close(ready);
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
}
}  // namespace

int main(int argc, char** argv) {
    // Whatever descriptors the starter left open (its bus connection, its log) are not the
    // capture's to keep alive.
    close_range(3, ~0U, 0);
    Options options = Parse(argc, argv);
    BlockStopSignals();
    int ready = options.foreground ? -1 : Detach();
    alarm(kStartSeconds);

    Capture capture(options);
    std::string reason;
    if (!capture.Open(&reason)) {
        std::fprintf(stderr, "brelta-capture: %s\n", reason.c_str());
        return 1;
    }
    std::string identity =
        std::to_string(getpid()) + " " + StartTime() + " " + capture.Interface() + "\n";
    if (!options.pidFile.empty() && !FileUtil::WriteAtomically(options.pidFile, identity)) {
        std::fprintf(stderr, "brelta-capture: cannot write %s: %s\n", options.pidFile.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!options.stateFile.empty()) FileUtil::WriteAtomically(options.stateFile, "running");
    alarm(0);
    if (options.foreground)
        std::fprintf(stderr, "brelta-capture: capturing on %s\n", capture.Interface().c_str());
    else
        Detached(ready);

    std::string ending = capture.Run();
    std::fprintf(stderr, "%s\n", capture.Summary(ending).c_str());
    if (!options.stateFile.empty()) FileUtil::WriteAtomically(options.stateFile, "stopped");
    // A newer capture may have taken the pid file over; only this one's own is removed.
    std::string owner;
    if (!options.pidFile.empty() && FileUtil::Read(options.pidFile, &owner, 256) &&
        owner == identity)
        unlink(options.pidFile.c_str());
    return 0;
}
