#include "SettingsWatcher.h"

#include <algorithm>

#include "FileUtil.h"
#include "SettingsStore.h"

namespace brelta::host {

namespace {
// Never freed: exit-time code of the tool may still remove its registrations.
SettingsWatcher* g_instance = nullptr;
std::once_flag g_once;

// Borrowed: the context that a monitor made now would deliver on.
GMainContext* CurrentContext() {
    GMainContext* context = g_main_context_get_thread_default();
    return context != nullptr ? context : g_main_context_default();
}

std::string BaseName(GFile* file) {
    if (file == nullptr) return "";
    char* name = g_file_get_basename(file);
    std::string result = name != nullptr ? name : "";
    g_free(name);
    return result;
}
}  // namespace

SettingsWatcher& SettingsWatcher::Instance() {
    std::call_once(g_once, [] { g_instance = new SettingsWatcher(); });
    return *g_instance;
}

std::unique_ptr<keynode_t> SettingsWatcher::ReadNode(const std::string& key) {
    auto node = std::make_unique<keynode_t>();
    node->name = key;
    std::string content, text;
    SettingType type;
    std::string path = SettingsStore::KeyPath(key);
    if (path.empty() || !FileUtil::Read(path, &content, SettingsStore::kMaxFileBytes) ||
        !SettingsStore::Parse(content, &type, &text))
        return node;
    switch (type) {
        case SettingType::Int:
            node->type = VCONF_TYPE_INT;
            SettingsStore::ParseInt(text, &node->intValue);
            break;
        case SettingType::Bool:
            node->type = VCONF_TYPE_BOOL;
            node->intValue = text == "1" ? 1 : 0;
            break;
        case SettingType::Double:
            node->type = VCONF_TYPE_DOUBLE;
            SettingsStore::ParseDouble(text, &node->dblValue);
            break;
        case SettingType::String:
            node->type = VCONF_TYPE_STRING;
            node->strValue = text;
            break;
    }
    return node;
}

SettingsWatcher::Watch* SettingsWatcher::Acquire(const std::string& dir) {
    GMainContext* context = CurrentContext();
    for (auto& watch : m_Watches) {
        if (watch->dir == dir && watch->context == context) {
            ++watch->users;
            return watch.get();
        }
    }
    // Created on demand like every directory below the root; a missing directory could only
    // be watched by polling for it.
    GError* error = nullptr;
    GFileMonitor* monitor = nullptr;
    if (FileUtil::MakeDirs(dir)) {
        GFile* file = g_file_new_for_path(dir.c_str());
        // The monitor delivers on the thread-default context of this moment.
        monitor = g_file_monitor_directory(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, &error);
        g_object_unref(file);
    }
    if (monitor == nullptr) {
        g_clear_error(&error);
        return nullptr;
    }
    auto watch = std::make_unique<Watch>();
    watch->dir = dir;
    watch->context = g_main_context_ref(context);
    watch->monitor = monitor;
    watch->users = 1;
    watch->handler =
        g_signal_connect(monitor, "changed", G_CALLBACK(&SettingsWatcher::OnChanged), watch.get());
    m_Watches.push_back(std::move(watch));
    return m_Watches.back().get();
}

void SettingsWatcher::Release(Watch* watch) {
    if (--watch->users > 0) return;
    // Cancelling inside the monitor's own dispatch is safe: GLib holds a reference while it
    // dispatches and drops the events still queued for a cancelled monitor.
    g_signal_handler_disconnect(watch->monitor, watch->handler);
    g_file_monitor_cancel(watch->monitor);
    g_object_unref(watch->monitor);
    g_main_context_unref(watch->context);
    m_Watches.erase(std::find_if(m_Watches.begin(), m_Watches.end(),
                                 [watch](const auto& w) { return w.get() == watch; }));
}

bool SettingsWatcher::Add(const std::string& key, vconf_callback_fn cb, void* userData) {
    std::string path = SettingsStore::KeyPath(key);
    if (path.empty() || cb == nullptr) return false;
    std::string dir = FileUtil::Parent(path);
    std::lock_guard<std::mutex> lock(m_Mutex);
    GMainContext* context = CurrentContext();
    for (Registration& r : m_Registrations) {
        // The directory too: tests switch device roots within one process.
        if (r.key == key && r.cb == cb && r.watch->context == context && r.watch->dir == dir) {
            r.userData = userData;
            return true;
        }
    }
    Watch* watch = Acquire(dir);
    if (watch == nullptr) return false;
    m_Registrations.push_back(
        Registration{m_NextId++, key, path.substr(dir.size() + 1), cb, userData, watch});
    return true;
}

bool SettingsWatcher::Remove(const std::string& key, vconf_callback_fn cb) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    bool removed = false;
    for (auto it = m_Registrations.begin(); it != m_Registrations.end();) {
        if (it->key == key && it->cb == cb) {
            Watch* watch = it->watch;
            it = m_Registrations.erase(it);
            Release(watch);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

void SettingsWatcher::OnChanged(GFileMonitor*, GFile* file, GFile* other, GFileMonitorEvent event,
                                gpointer watch) {
    std::string name;
    switch (event) {
        case G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
            name = BaseName(file);
            break;
        case G_FILE_MONITOR_EVENT_RENAMED:
            name = BaseName(other);
            break;
        default:
            return;
    }
    Instance().Deliver(static_cast<Watch*>(watch), name);
}

void SettingsWatcher::Deliver(Watch* watch, const std::string& name) {
    std::vector<std::uint64_t> ids;
    std::string key;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const Registration& r : m_Registrations) {
            if (r.watch != watch || r.name != name) continue;
            ids.push_back(r.id);
            key = r.key;
        }
    }
    if (ids.empty()) return;
    std::unique_ptr<keynode_t> node = ReadNode(key);
    // A callback may remove itself or others (and so the watch): look each one up again
    // just before calling it, and touch nothing of the watch from here on.
    for (std::uint64_t id : ids) {
        vconf_callback_fn cb = nullptr;
        void* userData = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            auto it = std::find_if(m_Registrations.begin(), m_Registrations.end(),
                                   [id](const Registration& r) { return r.id == id; });
            if (it == m_Registrations.end()) continue;
            cb = it->cb;
            userData = it->userData;
        }
        cb(node.get(), userData);
    }
}

}  // namespace brelta::host
