#include "log/LogSink.h"

#include "log/LogWriter.h"

namespace brelta::host {

bool EmulatedLogSink::Write(int buffer, int priority, const std::string& tag,
                            const std::string& message) {
    return LogWriter::Write(buffer, priority, tag, message);
}

}  // namespace brelta::host
