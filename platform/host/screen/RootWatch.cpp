#include "RootWatch.h"

#include <dirent.h>
#include <glib-unix.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace brelta::screen {

namespace {
struct AreaDir {
    const char* name;
    unsigned area;
};
constexpr AreaDir kAreaDirs[] = {
    {"notifications", RootWatch::kToasts}, {"apps", RootWatch::kLaunches},
    {"settings", RootWatch::kSettings},    {"usb", RootWatch::kUsb},
    {"faults", RootWatch::kFaults},        {"log", RootWatch::kLog},
};
// Appends (the log, the journals), closes, renames and links onto a name, removals; and the
// watched directory itself going away.
constexpr uint32_t kMask = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                           IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
constexpr uint32_t kRootMask = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_DONT_FOLLOW;
}  // namespace

RootWatch::RootWatch(std::string root, Callback changed)
    : m_Root(std::move(root)), m_Changed(std::move(changed)) {}

RootWatch::~RootWatch() {
    if (m_Source != 0) g_source_remove(m_Source);
    if (m_Fd >= 0) close(m_Fd);
}

bool RootWatch::Start() {
    m_Fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_Fd < 0) return false;
    int wd = inotify_add_watch(m_Fd, m_Root.c_str(), kRootMask);
    if (wd < 0) return false;
    m_Watches[wd] = {m_Root, 0};
    for (const AreaDir& dir : kAreaDirs) WatchArea(dir.name);
    m_Source = g_unix_fd_add(m_Fd, G_IO_IN, OnEvents, this);
    return true;
}

void RootWatch::WatchArea(const std::string& name) {
    for (const AreaDir& dir : kAreaDirs)
        if (name == dir.name) WatchTree(m_Root + "/" + name, dir.area);
}

void RootWatch::WatchTree(const std::string& dir, unsigned area) {
    if (m_Watches.size() >= kMaxWatches) return;
    int wd = inotify_add_watch(m_Fd, dir.c_str(), kMask);
    if (wd < 0) return;
    m_Watches[wd] = {dir, area};
    // Keys live in directories of any depth; nothing else has subdirectories worth a look.
    if (area != kSettings) return;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (struct dirent* entry = readdir(d)) {
        if (entry->d_name[0] == '.') continue;
        std::string path = dir + "/" + entry->d_name;
        struct stat st;
        // Not through links: a link to / would have us watch the whole file system.
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) WatchTree(path, area);
    }
    closedir(d);
}

gboolean RootWatch::OnEvents(gint fd, GIOCondition, gpointer self) {
    auto* watch = static_cast<RootWatch*>(self);
    unsigned areas = 0;
    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            auto found = watch->m_Watches.find(event->wd);
            if (event->mask & IN_Q_OVERFLOW) areas |= kAll;
            if (found == watch->m_Watches.end()) continue;
            Watched watched = found->second;
            if (event->mask & IN_IGNORED) watch->m_Watches.erase(found);
            std::string name = event->len > 0 ? event->name : "";
            bool new_dir = (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO));
            if (watched.area == 0) {
                // The root: a service directory made (again) after a reset.
                if (new_dir) watch->WatchArea(name);
                for (const AreaDir& dir : kAreaDirs)
                    if (name == dir.name) areas |= dir.area;
                continue;
            }
            if (new_dir && watched.area == kSettings)
                watch->WatchTree(watched.path + "/" + name, kSettings);
            areas |= watched.area;
        }
    }
    if (areas != 0) watch->m_Changed(areas);
    return G_SOURCE_CONTINUE;
}

}  // namespace brelta::screen
