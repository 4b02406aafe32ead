#ifndef BRELTA_CLI_LOGSOURCE_H
#define BRELTA_CLI_LOGSOURCE_H

#include <functional>
#include <string>

#include "LogMerge.h"

namespace brelta::cli {

// A record of the system log and the buffer it was read from.
using BufferRecord = host::LogMerge::Record;

// Where the log command reads records: the device root's files, or the systemd journal when
// the log service is live.
class LogSource {
public:
    using Each = std::function<void(const BufferRecord&)>;
    virtual ~LogSource() = default;
    // Hands each record that is there now, and not handed before, to `each` in time order.
    virtual void Drain(const Each& each) = 0;
    // Calls `changed` on the default main context whenever records may have been added.
    virtual void Follow(std::function<void()> changed) = 0;
    // Warns of what a read passed over.
    virtual void WarnSkipped() const {}
};

}  // namespace brelta::cli

#endif
