#include "notification/NotificationInput.h"

#include <glib.h>

#include "base/DeviceRoot.h"
#include "base/FileWatch.h"
#include "notification/NotificationService.h"
#include "settings/SettingsStore.h"

namespace brelta::host {

namespace {
constexpr std::uint32_t kEvents = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO;

void OnEvents(const std::vector<FileWatch::Event>& events, void* data) {
    for (const FileWatch::Event& event : events) {
        if (event.name.empty()) continue;
        // Closed by its writer, or written elsewhere and moved or renamed into place: the
        // file is complete. Otherwise the writer may not be done: only a finished line counts.
        bool complete = (event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0;
        NotificationService::TakeInput(event.name, complete, GPOINTER_TO_UINT(data));
    }
}
}  // namespace

unsigned NotificationInput::Watch(const std::string& dir, unsigned serial) {
    return FileWatch::Add(dir, kEvents, OnEvents, GUINT_TO_POINTER(serial));
}

void NotificationInput::Stop(unsigned watch) {
    FileWatch::Remove(watch);
}

std::string NotificationInput::Dir() {
    return DeviceRoot::Path() + "/" + kRelativeDir;
}

std::string NotificationInput::Path(int id) {
    return Dir() + "/" + std::to_string(id);
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
