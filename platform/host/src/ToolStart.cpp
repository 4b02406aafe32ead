// The tool's process start, before its main runs (linked into the tool only): its entry
// point's steps are fixed, so the platform prepares the process here. Whoever starts the tool
// may leave signal state behind that changes how a run ends and what it records: a standard
// error whose reader has gone (SIGPIPE at GLib's warning would kill the process before its
// records are written), a file-size limit, an ignored SIGCHLD (system() could not report the
// MDT program's status), blocked signals.
//
// The entry point asks for its command id as a bus name whatever the id is. An id that is no
// bus name (--help, an empty one) is refused by GLib with a critical "g_bus_own_name:
// assertion 'g_dbus_is_name (name) ...' failed", and the run goes on as for any unknown id:
// that refusal is the expected outcome, logged by the tool as "invalid argument", so it stays
// off the terminal. Every other message of GLib goes out as its default writer puts it, and
// stays fatal under G_DEBUG=fatal-criticals (or fatal-warnings); the refusal does not, so
// those settings still find the criticals that no run should have.
#include <glib.h>

#include <cstring>
#include <string>

#include "base/ProcessStart.h"

namespace {
bool IsBusNameRefusal(const char* domain, GLogLevelFlags level, const char* message) {
    static const char kRefusal[] = "g_bus_own_name: assertion 'g_dbus_is_name (name)";
    return (level & G_LOG_LEVEL_MASK) == G_LOG_LEVEL_CRITICAL && domain != nullptr &&
           message != nullptr && std::strcmp(domain, "GLib-GIO") == 0 &&
           std::strncmp(message, kRefusal, sizeof kRefusal - 1) == 0;
}

// The field's text: the writer's fields are not always NUL-terminated (length >= 0).
std::string FieldText(const GLogField& field) {
    const char* text = static_cast<const char*>(field.value);
    return field.length < 0 ? std::string(text) : std::string(text, size_t(field.length));
}

GLogWriterOutput Writer(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
    std::string domain, message;
    for (gsize i = 0; i < count; ++i) {
        if (std::strcmp(fields[i].key, "GLIB_DOMAIN") == 0) domain = FieldText(fields[i]);
        if (std::strcmp(fields[i].key, "MESSAGE") == 0) message = FieldText(fields[i]);
    }
    if (IsBusNameRefusal(domain.c_str(), level, message.c_str())) return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, count, data);
}

// Asked only for a message that G_DEBUG made fatal: whether it ends the process.
gboolean EndsProcess(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    return !IsBusNameRefusal(domain, level, message);
}

__attribute__((constructor)) void PrepareTool() {
    brelta::host::PrepareProcess(brelta::host::BrokenPipe::kFails);
    g_log_set_writer_func(Writer, nullptr, nullptr);
    g_test_log_set_fatal_handler(EndsProcess, nullptr);
}
}  // namespace
