#include "log/LogWriter.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include <dlog.h>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/TerminalView.h"
#include "base/VisibleText.h"

namespace brelta::host {

char LogWriter::PriorityLetter(int priority) {
    switch (priority) {
        case DLOG_VERBOSE:
            return 'V';
        case DLOG_DEBUG:
            return 'D';
        case DLOG_INFO:
            return 'I';
        case DLOG_WARN:
            return 'W';
        case DLOG_ERROR:
            return 'E';
        case DLOG_FATAL:
            return 'F';
        default:
            return 'I';  // DEFAULT, UNKNOWN and SILENT: the platform prints them as info
    }
}

std::string LogWriter::BufferName(int buffer) {
    switch (buffer) {
        case LOG_ID_MAIN:
            return "main";
        case LOG_ID_RADIO:
            return "radio";
        case LOG_ID_SYSTEM:
            return "system";
        case LOG_ID_APPS:
            return "apps";
        default:
            return "buffer" + std::to_string(buffer);
    }
}

std::string LogWriter::BufferPath(int buffer) {
    return DeviceRoot::Path() + "/log/" + BufferName(buffer);
}

std::string LogWriter::UtcNow() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return Stamp(static_cast<long long>(tv.tv_sec) * 1000000 + tv.tv_usec);
}

std::string LogWriter::Stamp(long long usec) {
    time_t seconds = static_cast<time_t>(usec / 1000000);
    struct tm tm;
    gmtime_r(&seconds, &tm);
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
             tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
             static_cast<int>(usec / 1000 % 1000));
    return text;
}

std::string LogWriter::Record(const std::string& time, long pid, int priority,
                              const std::string& tag, const std::string& message) {
    std::string record = time + " " + std::to_string(pid) + " ";
    record += PriorityLetter(priority);
    record += "/" + VisibleText::Escape(tag) + ": " + VisibleText::Escape(message);
    return record;
}

bool LogWriter::Write(int buffer, int priority, const std::string& tag,
                      const std::string& message) {
    return Write(buffer, priority, tag, message, UtcNow());
}

bool LogWriter::Write(int buffer, int priority, const std::string& tag, const std::string& message,
                      const std::string& made) {
    std::string record = Record(made, static_cast<long>(getpid()), priority, tag, message);
    TerminalView::ShowRecord(record);
    return FileUtil::AppendLine(BufferPath(buffer), record);
}

}  // namespace brelta::host
