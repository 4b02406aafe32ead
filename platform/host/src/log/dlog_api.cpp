// The dlog functions of the host platform.
#include <dlog.h>

#include <glib.h>

#include <cstdarg>
#include <string>

#include "log/LogSink.h"

extern "C" int __dlog_print(log_id_t log_id, int prio, const char* tag, const char* fmt, ...) {
    if (fmt == nullptr) return -1;
    va_list args;
    va_start(args, fmt);
    gchar* formatted = g_strdup_vprintf(fmt, args);
    va_end(args);
    if (formatted == nullptr) return -1;
    std::string message(formatted);
    g_free(formatted);
    bool written = brelta::host::Services::Get<brelta::host::LogSink>().Write(
        static_cast<int>(log_id), prio, tag ? tag : "", message);
    return written ? static_cast<int>(message.size()) : -1;
}
