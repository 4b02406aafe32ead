#include "notification/NotificationIds.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "settings/SettingsStore.h"

namespace brelta::host {

namespace {
int Advance(int fd) {
    char buffer[32];
    ssize_t n = pread(fd, buffer, sizeof buffer - 1, 0);
    if (n < 0) return 0;
    std::string text(buffer, static_cast<size_t>(n));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    int last = 0;
    // A counter that does not parse would hand out ids again: refuse rather than guess.
    if (!text.empty() && (!SettingsStore::ParseInt(text, &last) || last < 0)) return 0;
    if (last == INT_MAX) return 0;
    int next = last + 1;
    std::string out = std::to_string(next) + "\n";
    // Overwrite, then cut: the new text is never shorter than the old, so no moment leaves
    // an empty counter behind that would start the ids again from 1.
    if (pwrite(fd, out.data(), out.size(), 0) != static_cast<ssize_t>(out.size())) return 0;
    if (ftruncate(fd, static_cast<off_t>(out.size())) != 0) return 0;
    return next;
}

}  // namespace

int NotificationIds::Next() {
    std::string path = DeviceRoot::MakeDir("notifications") + "/last_id";
    int fd = FileUtil::OpenRegular(path, O_RDWR | O_CREAT);
    if (fd < 0) return 0;
    int id = FileUtil::LockWithin(fd, kLockWaitMs) ? Advance(fd) : 0;
    // Closing the descriptor releases the lock.
    close(fd);
    return id;
}

}  // namespace brelta::host
