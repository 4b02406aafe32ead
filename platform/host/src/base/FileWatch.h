#ifndef BRELTA_HOST_FILEWATCH_H
#define BRELTA_HOST_FILEWATCH_H

#include <sys/inotify.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brelta::host {

// The host platform's one way of hearing about file changes: the kernel's inotify, one
// instance per process with a watch per directory, so that a program following many
// directories (the CLI over a whole settings tree) costs the user one of their few instances.
//
// - Callbacks run from the GLib main loop of the context that was the thread-default one when
//   the watch was added, never from inside Add or Remove. The descriptor is read by a GLib
//   source on each context that has watches (in practice the default one alone); events read
//   on one context for a watch of another are passed to that context.
// - A forked child gets an instance of its own at once, watching the same directories:
//   sharing the parent's would split every change between the two processes.
// - Remove is final: a removed watch's callback is never called again, also for events that
//   were already read. A callback may add or remove watches, its own included.
// - Several watches of one directory share the kernel's watch; each sees only the events of
//   its own mask.
//
// Not a GFileMonitor: that brings up GIO's VFS and module machinery, which the tool would pay
// for at every start.
class FileWatch {
public:
    struct Event {
        // inotify bits (IN_CLOSE_WRITE, IN_MOVED_TO, ...), within the watch's mask, or:
        //  - IN_Q_OVERFLOW: events were lost, anything in the directory may have changed;
        //  - IN_IGNORED: the directory is gone (removed, unmounted); the watch sees nothing
        //    more until it is removed and added again.
        // Both reach every watch whatever its mask, with an empty name.
        std::uint32_t mask = 0;
        std::string name;  // the file's name within the directory
    };
    // Events for this watch, in the kernel's order: a run of them that one read of the
    // descriptor found with no event of another watch in between.
    using Callback = void (*)(const std::vector<Event>& events, void* userData);

    // Starts watching the directory `dir` (it must exist; links to it are followed) for the
    // inotify events in `mask`. Returns the watch's id (> 0), or 0 when it cannot be watched.
    static unsigned Add(const std::string& dir, std::uint32_t mask, Callback callback,
                        void* userData);
    // Stops the watch; an unknown id (0, removed already) is ignored.
    static void Remove(unsigned id);
};

}  // namespace brelta::host

#endif
