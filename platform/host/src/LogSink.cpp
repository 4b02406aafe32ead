#include "LogSink.h"

#include "JournalLog.h"
#include "LiveServices.h"
#include "LogWriter.h"

namespace brelta::host {

namespace {
class FileLog : public LogSink {
public:
    bool Write(int buffer, int priority, const std::string& tag,
               const std::string& message) override {
        return LogWriter::Write(buffer, priority, tag, message);
    }
};
}  // namespace

LogSink& LogSink::Current() {
    return LiveServices::Pick<LogSink, FileLog, JournalLog>(LiveServices::Service::Log);
}

}  // namespace brelta::host
