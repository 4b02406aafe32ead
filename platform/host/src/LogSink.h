#ifndef BRELTA_HOST_LOGSINK_H
#define BRELTA_HOST_LOGSINK_H

#include <string>

namespace brelta::host {

// Where the dlog functions put a record, once formatted: the files of the device root
// (LogWriter, emulated) or the systemd journal (JournalLog, live).
class LogSink {
public:
    virtual ~LogSink() = default;
    // Writes one record; false when it could not be written.
    virtual bool Write(int buffer, int priority, const std::string& tag,
                       const std::string& message) = 0;

    // The sink of this process, as LiveServices chooses.
    static LogSink& Current();
};

}  // namespace brelta::host

#endif
