#include "settings/SettingsWatcher.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "base/FileUtil.h"
#include "settings/SettingsStore.h"

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

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE;
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
    if (!FileUtil::MakeDirs(dir)) return nullptr;
    auto watch = std::make_unique<Watch>();
    watch->id = FileWatch::Add(dir, kEvents, &SettingsWatcher::OnEvents, watch.get());
    if (watch->id == 0) return nullptr;
    watch->dir = dir;
    watch->context = g_main_context_ref(context);
    watch->users = 1;
    m_Watches.push_back(std::move(watch));
    return m_Watches.back().get();
}

void SettingsWatcher::Release(Watch* watch) {
    if (--watch->users > 0) return;
    // Safe inside the watch's own callback: OnEvents touches nothing of it after delivering.
    FileWatch::Remove(watch->id);
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

std::vector<std::string> SettingsWatcher::Changed(const Watch& watch,
                                                  const std::vector<FileWatch::Event>& events) {
    std::vector<std::string> names;
    for (const FileWatch::Event& event : events) {
        if (event.mask & IN_Q_OVERFLOW) return {""};
        if (event.name.empty()) continue;
        if (event.mask & IN_CREATE) {
            // A file made by open() is announced by its IN_CLOSE_WRITE; a link never is.
            struct stat st;
            std::string path = watch.dir + "/" + event.name;
            if (lstat(path.c_str(), &st) != 0 || !(S_ISLNK(st.st_mode) || st.st_nlink > 1))
                continue;
        }
        if (std::find(names.begin(), names.end(), event.name) == names.end())
            names.push_back(event.name);
    }
    return names;
}

void SettingsWatcher::OnEvents(const std::vector<FileWatch::Event>& events, void* data) {
    Watch* watch = static_cast<Watch*>(data);
    // A callback may remove the last registration and so free the watch: from here on only
    // its address is used, to find the registrations that still refer to it.
    for (const std::string& name : Changed(*watch, events)) Instance().Deliver(watch, name);
}

void SettingsWatcher::Deliver(Watch* watch, const std::string& name) {
    std::vector<std::uint64_t> ids;
    std::vector<std::string> keys;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const Registration& r : m_Registrations) {
            if (r.watch != watch || (!name.empty() && r.name != name)) continue;
            ids.push_back(r.id);
            keys.push_back(r.key);
        }
    }
    // One node per key, read once and shared by that key's callbacks.
    std::map<std::string, std::unique_ptr<keynode_t>> nodes;
    for (const std::string& key : keys)
        if (nodes.count(key) == 0) nodes[key] = ReadNode(key);
    // A callback may remove itself or others (and so the watch): look each one up again
    // just before calling it, and touch nothing of the watch from here on.
    for (size_t i = 0; i < ids.size(); ++i) {
        std::uint64_t id = ids[i];
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
        cb(nodes[keys[i]].get(), userData);
    }
}

}  // namespace brelta::host
