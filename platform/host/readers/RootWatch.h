#ifndef BRELTA_HOST_ROOTWATCH_H
#define BRELTA_HOST_ROOTWATCH_H

#include <glib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/FileWatch.h"

namespace brelta::host {

// Tells what changed in a device root, from the platform's file-change notifications (no
// polling), for every follower: the screen's page, log -f, launches -f, toast watch, settings
// watch, a press waiting for its taking. The services' directories are watched from the
// moment they exist (the settings store's whole tree included), and the root itself too,
// from the folder above it: when the root is removed (rm -rf) and made again, everything
// below it is watched afresh. (A removed folder that a process still holds, as its working
// directory say, never tells of its own removal; its parent does.)
class RootWatch {
public:
    enum Area : unsigned {
        kToasts = 1u << 0,    // notifications/ and notifications/input/
        kLaunches = 1u << 1,  // apps/
        kSettings = 1u << 2,  // settings/ and every directory below it
        kUsb = 1u << 3,       // usb/
        kFaults = 1u << 4,    // faults/
        kLog = 1u << 5,       // log/
        kAll = (1u << 6) - 1,
    };
    // One change in an area's directory `dir`: `name` in it, the inotify bits in `mask`. A
    // directory watched afresh (made again, or after lost events) comes as one event with an
    // empty name and IN_Q_OVERFLOW: anything in it may have changed meanwhile.
    struct Event {
        unsigned area;
        std::string dir;
        std::string name;
        std::uint32_t mask;
    };
    // Called on the main loop with the areas that changed and their events in order: the
    // changes that one turn of the loop read are reported together.
    using Callback = std::function<void(unsigned areas, const std::vector<Event>& events)>;

    RootWatch(std::string root, Callback changed);
    ~RootWatch();
    RootWatch(const RootWatch&) = delete;
    RootWatch& operator=(const RootWatch&) = delete;
    // False when neither the root nor any folder above it can be watched.
    bool Start();

    // A hostile tree must not take every watch the user has.
    static constexpr size_t kMaxWatches = 2048;

private:
    struct Watched {
        RootWatch* owner;
        unsigned id;
        std::string path;
        unsigned area;  // 0: the root, or the folder above it that is watched for it
        dev_t device;   // the directory's identity when its watch began
        ino_t inode;
    };
    // Watches what exists now: the root (or the nearest folder above it) and the areas'
    // directories; `afresh` reports the directories it newly watches as changed.
    bool Refresh(bool afresh);
    bool Watch(const std::string& dir, unsigned area, bool afresh);
    void WatchTree(const std::string& dir, unsigned area, bool afresh);
    void Unwatch(const std::string& dir);
    void Note(unsigned area, Event event);
    void OnEvents(Watched* watched, const std::vector<FileWatch::Event>& events);
    static void OnEventsOf(const std::vector<FileWatch::Event>& events, void* watched);
    static gboolean Report(gpointer self);

    std::string m_Root;
    Callback m_Changed;
    // Keyed by the path: one watch a directory. The nodes stay put, so each is its watch's
    // user data.
    std::map<std::string, Watched> m_Watches;
    // The folder above the root (the nearest that exists), and the name below it on the way
    // to the root.
    std::string m_Way, m_Next;
    unsigned m_Pending = 0;
    std::vector<Event> m_Events;
    guint m_Report = 0;
};

}  // namespace brelta::host

#endif
