// The dlog functions of the host platform.
#include <dlog.h>

#include <cstdarg>

#include "LogWriter.h"

extern "C" int __dlog_print(log_id_t log_id, int prio, const char* tag, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int result = brelta::host::LogWriter::Write(static_cast<int>(log_id), prio, tag, fmt, args);
    va_end(args);
    return result;
}
