#ifndef BRELTA_SCREEN_ROOTWATCH_H
#define BRELTA_SCREEN_ROOTWATCH_H

#include <glib.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FileWatch.h"

namespace brelta::screen {

// Tells which parts of a device root changed, from the platform's file-change notifications
// (no polling): the directories of the services are watched from the moment they exist, the
// settings store's whole tree included, and again after a reset removed and a run made them.
class RootWatch {
public:
    enum Area : unsigned {
        kToasts = 1u << 0,    // notifications/
        kLaunches = 1u << 1,  // apps/
        kSettings = 1u << 2,  // settings/ and every directory below it
        kUsb = 1u << 3,       // usb/
        kFaults = 1u << 4,    // faults/
        kLog = 1u << 5,       // log/
        kAll = (1u << 6) - 1,
    };
    // Called on the main loop with the areas that changed; the changes that one turn of the
    // loop read are reported together.
    using Callback = std::function<void(unsigned areas)>;

    RootWatch(std::string root, Callback changed);
    ~RootWatch();
    RootWatch(const RootWatch&) = delete;
    RootWatch& operator=(const RootWatch&) = delete;
    // False when the root itself cannot be watched.
    bool Start();

    // A hostile tree must not take every watch the user has.
    static constexpr size_t kMaxWatches = 2048;

private:
    struct Watched {
        RootWatch* owner;
        unsigned id;
        std::string path;
        unsigned area;  // 0: the root
    };
    // True when the directory is watched (now or already).
    bool Watch(const std::string& dir, unsigned area);
    void WatchTree(const std::string& dir, unsigned area);
    void OnEvents(Watched* watched, const std::vector<host::FileWatch::Event>& events);
    static void OnEventsOf(const std::vector<host::FileWatch::Event>& events, void* watched);
    static gboolean Report(gpointer self);

    std::string m_Root;
    Callback m_Changed;
    // Keyed by the path: one watch a directory. The nodes stay put, so each is its watch's
    // user data.
    std::map<std::string, Watched> m_Watches;
    unsigned m_Pending = 0;
    guint m_Report = 0;
};

}  // namespace brelta::screen

#endif
