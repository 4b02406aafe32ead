#ifndef BRELTA_HOST_SETTINGSWATCHER_H
#define BRELTA_HOST_SETTINGSWATCHER_H

#include <gio/gio.h>
#include <vconf.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What a change callback receives: the key's name and what its file holds when the callback
// runs (read once per change, shared by the callbacks of that change; a later write that is
// already done shows here too). The type is VCONF_TYPE_NONE when the file cannot be read as a
// setting (removed again, or garbage).
struct _keynode_t {
    std::string name;
    int type = VCONF_TYPE_NONE;
    int intValue = 0;  // int and bool keys
    double dblValue = 0;
    std::string strValue;
};

namespace brelta::host {

// Change callbacks of the settings store. Every key's directory is watched through the
// kernel's file notifications (one GFileMonitor per directory and main context), so a write
// by any process, or by hand, reaches the registered callbacks on the main context that was
// the thread-default one when they registered.
//
// Which file events count as one change:
//  - "changes-done-hint" of the key's file: it was written in place and closed (echo >, cp),
//    or created as a link; the "created" and "changed" events before it are skipped, so that
//    an in-place write gives one callback and not three.
//  - "renamed" onto the key's file: the store's own atomic write (a hidden temporary file
//    renamed over the key), or mv within the directory.
//  - "moved-in" as the key's file: mv from another directory.
// Removing a key's file is not a change of its value and gives no callback.
class SettingsWatcher {
public:
    static SettingsWatcher& Instance();

    // Registers cb for changes of key. The key's directory is created when missing, so that
    // a key nobody has written yet is followed from its first write. Registering the same
    // callback for the same key again only replaces its user data.
    bool Add(const std::string& key, vconf_callback_fn cb, void* userData);
    // Removes every registration of cb for key; false when there was none. A removed
    // callback is never called again, also for a change that is already queued.
    bool Remove(const std::string& key, vconf_callback_fn cb);

    // The node for key as its file is now.
    static std::unique_ptr<keynode_t> ReadNode(const std::string& key);

private:
    struct Watch {
        std::string dir;
        GMainContext* context = nullptr;
        GFileMonitor* monitor = nullptr;
        gulong handler = 0;
        int users = 0;
    };
    struct Registration {
        std::uint64_t id;
        std::string key;
        std::string name;  // the key's file name within the watched directory
        vconf_callback_fn cb;
        void* userData;
        Watch* watch;
    };

    static void OnChanged(GFileMonitor* monitor, GFile* file, GFile* other, GFileMonitorEvent event,
                          gpointer watch);
    void Deliver(Watch* watch, const std::string& name);
    Watch* Acquire(const std::string& dir);
    void Release(Watch* watch);

    std::mutex m_Mutex;
    std::vector<std::unique_ptr<Watch>> m_Watches;
    std::vector<Registration> m_Registrations;
    std::uint64_t m_NextId = 1;
};

}  // namespace brelta::host

#endif
