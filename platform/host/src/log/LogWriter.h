#ifndef BRELTA_HOST_LOGWRITER_H
#define BRELTA_HOST_LOGWRITER_H

#include <string>

namespace brelta::host {

// The system log: one line per record in $ROOT/log/<buffer>, each written with one append.
class LogWriter {
public:
    // Writes one record (and shows it on a terminal); false when it could not be written.
    static bool Write(int buffer, int priority, const std::string& tag, const std::string& message);
    // The same for a record made at the time `made` (UtcNow() when it was made).
    static bool Write(int buffer, int priority, const std::string& tag, const std::string& message,
                      const std::string& made);
    // "<time> <pid> <P>/<TAG>: <message>", tag and message escaped (VisibleText::Escape), so
    // that a record is one line that a terminal shows as it is.
    static std::string Record(const std::string& time, long pid, int priority,
                              const std::string& tag, const std::string& message);
    static char PriorityLetter(int priority);
    static std::string BufferName(int buffer);
    // $ROOT/log/<buffer name>, the file of a buffer.
    static std::string BufferPath(int buffer);
    static std::string UtcNow();
    // The time stamp of a record made at `usec` microseconds since the epoch.
    static std::string Stamp(long long usec);
};

}  // namespace brelta::host

#endif
