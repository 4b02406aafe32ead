#include "FileEvents.h"

#include <glib.h>
#include <sys/inotify.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CliError.h"
#include "FileUtil.h"
#include "FileWatch.h"

namespace brelta::cli {

namespace {
constexpr std::uint32_t kEvents =
    IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;

struct Watch {
    unsigned id = 0;
    FileEvents::Callback callback;
};

// A follower's failure (a file it can no longer read, a closed standard output) ends the
// command as it would outside the main loop; the exception must not cross GLib's frames.
void Call(const FileEvents::Callback& callback, const std::string& name, std::uint32_t mask) {
    try {
        callback(name, mask);
    } catch (const CliError& error) {
        std::fprintf(stderr, "brelta-device: %s\n", error.what());
        std::exit(error.Status());
    }
}

void OnEvents(const std::vector<host::FileWatch::Event>& events, void* data) {
    auto* watch = static_cast<Watch*>(data);
    for (const host::FileWatch::Event& event : events) {
        Call(watch->callback, event.name, event.mask);
        if (event.mask & IN_IGNORED) {
            // The directory is gone; whoever follows it watches for its return.
            host::FileWatch::Remove(watch->id);
            delete watch;
            return;
        }
    }
}
}  // namespace

void FileEvents::Add(const std::string& dir, Callback callback) {
    host::FileUtil::MakeDirs(dir);
    auto* watch = new Watch{0, std::move(callback)};
    watch->id = host::FileWatch::Add(dir, kEvents, OnEvents, watch);
    if (watch->id == 0) {
        delete watch;
        throw CliError::SystemFailure("cannot watch " + dir, errno != 0 ? errno : EIO);
    }
}

void FileEvents::FollowFile(const std::string& dir, const std::string& name,
                            std::function<void()> changed) {
    auto watchDir = [dir, name, changed]() {
        Add(dir, [name, changed](const std::string& file, std::uint32_t) {
            if (file.empty() || file == name) changed();
        });
    };
    std::string parent = host::FileUtil::Parent(dir);
    std::string base = dir.substr(parent.size() + 1);
    Add(parent, [base, watchDir, changed](const std::string& file, std::uint32_t mask) {
        if (file != base || !(mask & (IN_CREATE | IN_MOVED_TO))) return;
        watchDir();
        changed();  // what was written before the new watch began
    });
    watchDir();
}

void FileEvents::Run() {
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
}

}  // namespace brelta::cli
