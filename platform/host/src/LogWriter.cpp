#include "LogWriter.h"

#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include <glib.h>

#include "DeviceRoot.h"
#include "FileUtil.h"
#include "TerminalView.h"
#include "VisibleText.h"

namespace brelta::host {

char LogWriter::PriorityLetter(int priority) {
    switch (priority) {
        case 2:
            return 'V';
        case 3:
            return 'D';
        case 4:
            return 'I';
        case 5:
            return 'W';
        case 6:
            return 'E';
        case 7:
            return 'F';
        default:
            return 'I';  // DEFAULT, UNKNOWN and SILENT: the platform prints them as info
    }
}

std::string LogWriter::BufferName(int buffer) {
    switch (buffer) {
        case 0:
            return "main";
        case 1:
            return "radio";
        case 2:
            return "system";
        case 3:
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
    struct tm tm;
    gmtime_r(&tv.tv_sec, &tm);
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
             tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
             static_cast<int>(tv.tv_usec / 1000));
    return text;
}

std::string LogWriter::Record(const std::string& time, long pid, int priority,
                              const std::string& tag, const std::string& message) {
    std::string record = time + " " + std::to_string(pid) + " ";
    record += PriorityLetter(priority);
    record += "/" + VisibleText::Escape(tag) + ": " + VisibleText::Escape(message);
    return record;
}

int LogWriter::Write(int buffer, int priority, const char* tag, const char* format, va_list args) {
    if (format == nullptr) return -1;
    gchar* message = g_strdup_vprintf(format, args);
    if (message == nullptr) return -1;
    std::string text(message);
    g_free(message);
    std::string record =
        Record(UtcNow(), static_cast<long>(getpid()), priority, tag ? tag : "", text);
    TerminalView::ShowRecord(record);
    if (!FileUtil::AppendLine(BufferPath(buffer), record)) return -1;
    return static_cast<int>(text.size());
}

}  // namespace brelta::host
