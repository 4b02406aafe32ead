#include "FileEvents.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "CliError.h"
#include "FileUtil.h"

namespace brelta::cli {

namespace {
constexpr std::uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO |
                                  IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;

struct Watches {
    int fd = -1;
    std::map<int, std::vector<FileEvents::Callback>> byWatch;
};

Watches& All() {
    static Watches watches;
    return watches;
}

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

gboolean OnReadable(gint fd, GIOCondition, gpointer) {
    alignas(struct inotify_event) char buffer[64 * 1024];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return G_SOURCE_CONTINUE;
    for (char* at = buffer; at < buffer + n;) {
        auto* event = reinterpret_cast<struct inotify_event*>(at);
        at += sizeof *event + event->len;
        std::string name = event->len > 0 ? std::string(event->name) : std::string();
        if (event->mask & IN_Q_OVERFLOW) {
            std::vector<FileEvents::Callback> every;
            for (auto& [watch, callbacks] : All().byWatch)
                every.insert(every.end(), callbacks.begin(), callbacks.end());
            for (auto& callback : every) Call(callback, "", IN_Q_OVERFLOW);
            continue;
        }
        auto it = All().byWatch.find(event->wd);
        if (it == All().byWatch.end()) continue;
        // A copy: a callback may add watches.
        std::vector<FileEvents::Callback> callbacks = it->second;
        for (auto& callback : callbacks) Call(callback, name, event->mask);
        if (event->mask & IN_IGNORED) All().byWatch.erase(event->wd);
    }
    return G_SOURCE_CONTINUE;
}
}  // namespace

void FileEvents::Add(const std::string& dir, Callback callback) {
    Watches& watches = All();
    if (watches.fd < 0) {
        watches.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watches.fd < 0) throw CliError::SystemFailure("cannot watch for changes", errno);
        g_unix_fd_add(watches.fd, G_IO_IN, OnReadable, nullptr);
    }
    host::FileUtil::MakeDirs(dir);
    int watch = inotify_add_watch(watches.fd, dir.c_str(), kEvents | IN_ONLYDIR);
    if (watch < 0) throw CliError::SystemFailure("cannot watch " + dir, errno);
    watches.byWatch[watch].push_back(std::move(callback));
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
