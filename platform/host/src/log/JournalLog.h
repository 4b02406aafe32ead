#ifndef BRELTA_HOST_JOURNALLOG_H
#define BRELTA_HOST_JOURNALLOG_H

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "log/LogSink.h"
#include "LiveNeed.h"

namespace brelta::host {

// The live system log: each record is one entry of the systemd journal, sent as a datagram
// of the journal's native protocol to its socket (no library: libsystemd would cost every
// start of the tool a fifth more memory). The entry carries MESSAGE (the whole message, as
// the file log writes it), PRIORITY (the syslog level of the record's priority),
// SYSLOG_IDENTIFIER (the tag), CODE_FILE, CODE_LINE and CODE_FUNC (from the tool's
// "<file>: <function>(<line>) > " prefix, when the message has it), and the fields that the
// workbench reads the records back by: BRELTA_DEVICE_ROOT, BRELTA_LOG_BUFFER and
// BRELTA_LOG_PRIORITY (the priority letter, which the syslog level cannot give back).
//
// A journal that is not there takes datagrams nowhere: with no socket (or one that refuses
// them, or one whose queue takes no datagram within kSendTimeoutMs) the record goes to the
// device root's log as in the emulated service, and from then on every record of the process
// does, after one warning on standard error.
class JournalLog : public LogSink {
public:
    using Fields = std::vector<std::pair<std::string, std::string>>;

    bool Write(int buffer, int priority, const std::string& tag,
               const std::string& message) override;

    static constexpr const char* kSocket = "/run/systemd/journal/socket";
    // How long a send may wait for the journal to take a record. A journald that runs reads
    // its queue within milliseconds even when it is at its limit; one that has not taken a
    // record in a second is stopped or hung, and the tool, whose whole run is a key press and
    // a few seconds' exit delay, must not wait for it: the process's records go to the files
    // instead, and its end is late by at most this once.
    static constexpr int kSendTimeoutMs = 1000;
    // Whether the journal is there to take records: its socket is, and takes a connection (a
    // socket left behind by a journal that is gone refuses it); *reason says why not. The
    // one check of the writer's need and of the reader's choice between journal and files.
    static bool Reachable(std::string* reason);
    // What the live log needs: the journal's socket.
    static LiveNeed Need();
    static Fields EntryFields(int buffer, int priority, const std::string& tag,
                              const std::string& message);
    // The fields in the native protocol: NAME=value lines, or, for a value holding a line
    // break, NAME, a line break, the value's length as 64-bit little-endian and the value.
    static std::string Datagram(const Fields& fields);
    // The syslog level of a dlog priority (info for those that the platform prints as info).
    static int SyslogLevel(int priority);

private:
    // Sends one entry; false (errno set) when the journal did not take it.
    bool Send(const std::string& datagram);
    void FallBack(const std::string& why);

    std::mutex m_Mutex;
    int m_Socket = -1;
    bool m_Unavailable = false;
};

}  // namespace brelta::host

#endif
