#ifndef BRELTA_HOST_LOGSINK_H
#define BRELTA_HOST_LOGSINK_H

#include <string>

#include "Services.h"

namespace brelta::host {

// Where the dlog functions put a record, once formatted: the files of the device root
// (LogWriter, emulated) or the systemd journal (JournalLog, live).
class LogSink {
public:
    virtual ~LogSink() = default;
    // Writes one record; false when it could not be written.
    virtual bool Write(int buffer, int priority, const std::string& tag,
                       const std::string& message) = 0;

    static constexpr Service kService = Service::Log;
};

// The emulated log: the files of the device root.
class EmulatedLogSink : public LogSink {
public:
    bool Write(int buffer, int priority, const std::string& tag,
               const std::string& message) override;
};

}  // namespace brelta::host

#endif
