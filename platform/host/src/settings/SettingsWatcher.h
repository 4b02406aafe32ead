#ifndef BRELTA_HOST_SETTINGSWATCHER_H
#define BRELTA_HOST_SETTINGSWATCHER_H

#include <glib.h>
#include <vconf.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/FileWatch.h"

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

// Change callbacks of the settings store. Every key's directory is watched with the kernel's
// file notifications (FileWatch, one watch per directory and main context), so a write by any
// process, or by hand, reaches the registered callbacks on the main context that was the
// thread-default one when they registered.
//
// Which file events count as one change:
//  - IN_CLOSE_WRITE of the key's file: it was written in place and closed (echo >, cp); the
//    IN_CREATE and IN_MODIFY events before it are skipped, so that an in-place write gives
//    one callback and not three.
//  - IN_MOVED_TO as the key's file: the store's own atomic write (a hidden temporary file
//    renamed over the key), mv within the directory, or mv from another directory.
//  - IN_CREATE of the key's file as a link (symbolic, or a second hard link): no write
//    follows it.
//  - IN_Q_OVERFLOW: events were lost, so every key of the directory may have changed.
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
        unsigned id = 0;  // the FileWatch
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

    static void OnEvents(const std::vector<FileWatch::Event>& events, void* watch);
    // The names of the directory's files that changed; "" when any may have.
    static std::vector<std::string> Changed(const Watch& watch,
                                            const std::vector<FileWatch::Event>& events);
    // `name` empty: every key of the watch.
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
