#include "log/JournalLog.h"

#include <dlog.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/DeviceRoot.h"
#include "log/LogRecord.h"
#include "log/LogWriter.h"
#include "base/TerminalView.h"

namespace brelta::host {

namespace {
bool SetSendTimeout(int socket, long long usec) {
    timeval timeout = {static_cast<time_t>(usec / 1000000),
                       static_cast<suseconds_t>(usec % 1000000)};
    return setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0;
}

sockaddr_un JournalAddress() {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, JournalLog::kSocket, sizeof address.sun_path - 1);
    return address;
}

// The tool's longest message is its command id, at most one argument's 128 KiB: always within
// a datagram's limit (the socket's send buffer, 208 KiB by default), so the journal's other
// way in, a sealed memory file, is not needed. Should a datagram still be refused, the record
// goes to the file log with the rest.
//
// A journal whose queue is full blocks the send until it reads: for ever, if it was stopped.
// The socket's send time-out bounds each send, and a signal that cuts the wait short resumes
// it with what is left (the time-out is the whole bound again for the next one), so no send
// outlasts the bound; then errno is EAGAIN.
bool SendMessage(int socket, const std::string& datagram) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(JournalLog::kSendTimeoutMs);
    sockaddr_un address = JournalAddress();
    bool sent = false, shortened = false;
    for (;;) {
        sent = sendto(socket, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                      reinterpret_cast<sockaddr*>(&address), sizeof address) >= 0;
        if (sent || errno != EINTR) break;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !SetSendTimeout(socket, left.count())) {
            errno = EAGAIN;
            break;
        }
        shortened = true;
    }
    int error = errno;
    if (shortened) SetSendTimeout(socket, JournalLog::kSendTimeoutMs * 1000LL);
    errno = error;
    return sent;
}
}  // namespace

bool JournalLog::Reachable(std::string* reason) {
    struct stat st;
    if (stat(kSocket, &st) != 0) {
        *reason = std::string(kSocket) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISSOCK(st.st_mode)) {
        *reason = std::string(kSocket) + " is not a socket";
        return false;
    }
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = JournalAddress();
    bool connected =
        fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!connected) *reason = std::string(kSocket) + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return connected;
}

int JournalLog::SyslogLevel(int priority) {
    switch (priority) {
        case DLOG_VERBOSE:
        case DLOG_DEBUG:
            return LOG_DEBUG;
        case DLOG_WARN:
            return LOG_WARNING;
        case DLOG_ERROR:
            return LOG_ERR;
        case DLOG_FATAL:
            return LOG_CRIT;  // short of taking the machine down with it
        default:
            return LOG_INFO;  // and what the platform prints as info
    }
}

JournalLog::Fields JournalLog::EntryFields(int buffer, int priority, const std::string& tag,
                                           const std::string& message) {
    Fields fields = {{"MESSAGE", message},
                     {"PRIORITY", std::to_string(SyslogLevel(priority))},
                     {"SYSLOG_IDENTIFIER", tag}};
    LogRecord record;
    record.SetMessage(message);
    if (record.HasSource()) {
        fields.emplace_back("CODE_FILE", record.file);
        fields.emplace_back("CODE_LINE", std::to_string(record.sourceLine));
        fields.emplace_back("CODE_FUNC", record.function);
    }
    fields.emplace_back("BRELTA_DEVICE_ROOT", DeviceRoot::Path());
    fields.emplace_back("BRELTA_LOG_BUFFER", LogWriter::BufferName(buffer));
    fields.emplace_back("BRELTA_LOG_PRIORITY", std::string(1, LogWriter::PriorityLetter(priority)));
    return fields;
}

std::string JournalLog::Datagram(const Fields& fields) {
    std::string datagram;
    for (const auto& [name, value] : fields) {
        datagram += name;
        if (value.find('\n') == std::string::npos) {
            datagram += '=';
        } else {
            datagram += '\n';
            for (int byte = 0; byte < 8; ++byte)
                datagram +=
                    static_cast<char>((static_cast<uint64_t>(value.size()) >> (8 * byte)) & 0xff);
        }
        datagram += value;
        datagram += '\n';
    }
    return datagram;
}

bool JournalLog::Send(const std::string& datagram) {
    if (m_Socket < 0) {
        m_Socket = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (m_Socket >= 0 && !SetSendTimeout(m_Socket, kSendTimeoutMs * 1000LL)) {
            close(m_Socket);  // an unbounded send is not to be risked
            m_Socket = -1;
        }
    }
    if (m_Socket < 0) return false;
    return SendMessage(m_Socket, datagram);
}

void JournalLog::FallBack(const std::string& why) {
    m_Unavailable = true;
    std::string warning = "brelta: the systemd journal takes no records (" + why +
                          "): they go to " + DeviceRoot::Path() + "/log/\n";
    ssize_t ignored = write(STDERR_FILENO, warning.data(), warning.size());
    (void)ignored;
}

bool JournalLog::Write(int buffer, int priority, const std::string& tag,
                       const std::string& message) {
    // The time the record was made, whichever way it goes: one that falls back after a
    // send that waited keeps its own time, and the wait shows between it and the next.
    std::string made = LogWriter::UtcNow();
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Unavailable) {
            // No journal is found out by the send itself: its socket missing or refusing, or
            // its queue not taking the record within the bound.
            if (Send(Datagram(EntryFields(buffer, priority, tag, message)))) {
                TerminalView::ShowRecord(
                    LogWriter::Record(made, static_cast<long>(getpid()), priority, tag, message));
                return true;
            }
            FallBack(std::string(kSocket) + ": " +
                     (errno == EAGAIN || errno == EWOULDBLOCK
                          ? "took no record within " + std::to_string(kSendTimeoutMs) + " ms"
                          : std::strerror(errno)));
        }
    }
    return LogWriter::Write(buffer, priority, tag, message, made);
}

LiveNeed JournalLog::Need() {
    std::string reason;
    if (!Reachable(&reason))
        return {false, "no systemd journal (" + reason + "): records go to the device root's log"};
    return {true, std::string("the systemd journal at ") + kSocket};
}

}  // namespace brelta::host
