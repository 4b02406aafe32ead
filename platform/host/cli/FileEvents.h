#ifndef BRELTA_CLI_FILEEVENTS_H
#define BRELTA_CLI_FILEEVENTS_H

#include <cstdint>
#include <functional>
#include <string>

namespace brelta::cli {

// What the followers of the CLI (settings watch, log -f, launches -f, toast watch) wait on:
// the kernel's notifications of changes in directories of the device root, delivered on the
// default GLib main context. No follower polls.
class FileEvents {
public:
    // `name` is the file's name in the directory (empty for the directory itself), `mask`
    // the inotify event bits (IN_Q_OVERFLOW: events were lost, anything may have changed).
    using Callback = std::function<void(const std::string& name, std::uint32_t mask)>;

    // Follows `dir`, made when missing so that a file nobody has written yet is followed
    // from its first write. A usage of the device root that cannot be watched is a failure.
    static void Add(const std::string& dir, Callback callback);
    // Calls `changed` for every change of the file `dir`/`name`, also when `dir` itself is
    // removed and made again (a reset of the device root removes it; the next writer makes
    // it anew). `dir`'s parent is made when missing.
    static void FollowFile(const std::string& dir, const std::string& name,
                           std::function<void()> changed);
    // Runs the default main loop until the process is ended (^C).
    static void Run();
};

}  // namespace brelta::cli

#endif
