#include "NotificationInput.h"

#include "NotificationService.h"
#include "SettingsStore.h"

namespace brelta::host {

namespace {
void OnChanged(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event, gpointer data) {
    GFile* target = nullptr;
    bool complete = false;
    switch (event) {
        case G_FILE_MONITOR_EVENT_CREATED:
        case G_FILE_MONITOR_EVENT_CHANGED:
            // The writer may not be done yet: only a finished line is taken.
            target = file;
            break;
        case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
            target = file;
            complete = true;
            break;
        case G_FILE_MONITOR_EVENT_RENAMED:
            // Written elsewhere in the directory and renamed into place: complete.
            target = other;
            complete = true;
            break;
        default:
            return;
    }
    if (target == nullptr) return;
    gchar* name = g_file_get_basename(target);
    if (name != nullptr) NotificationService::TakeInput(name, complete, GPOINTER_TO_UINT(data));
    g_free(name);
}
}  // namespace

GFileMonitor* NotificationInput::Watch(const std::string& dir, unsigned serial) {
    GFile* file = g_file_new_for_path(dir.c_str());
    GFileMonitor* monitor =
        g_file_monitor_directory(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (monitor == nullptr) return nullptr;
    g_signal_connect(monitor, "changed", G_CALLBACK(OnChanged), GUINT_TO_POINTER(serial));
    return monitor;
}

void NotificationInput::Stop(GFileMonitor* monitor) {
    if (monitor == nullptr) return;
    g_signal_handlers_disconnect_by_func(monitor, reinterpret_cast<gpointer>(OnChanged), nullptr);
    g_file_monitor_cancel(monitor);
    g_object_unref(monitor);
}

bool NotificationInput::ParseId(const std::string& name, int* id) {
    if (name.empty() || name[0] < '1' || name[0] > '9') return false;
    for (char c : name)
        if (c < '0' || c > '9') return false;
    int parsed = 0;
    if (!SettingsStore::ParseInt(name, &parsed) || parsed <= 0) return false;
    *id = parsed;
    return true;
}

bool NotificationInput::ParseEvent(const std::string& content, bool complete, int* event) {
    if (!complete && (content.empty() || content.back() != '\n')) return false;
    std::string::size_type begin = content.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return false;
    std::string::size_type end = content.find_last_not_of(" \t\r\n");
    std::string text = content.substr(begin, end - begin + 1);
    for (char c : text)
        if (c < '0' || c > '9') return false;
    int parsed = 0;
    if (!SettingsStore::ParseInt(text, &parsed)) return false;
    if (parsed != 0 && parsed != 1 && parsed != 100 && parsed != 102) return false;
    *event = parsed;
    return true;
}

}  // namespace brelta::host
