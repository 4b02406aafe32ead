#ifndef BRELTA_HOST_NOTIFICATIONIDS_H
#define BRELTA_HOST_NOTIFICATIONIDS_H

namespace brelta::host {

// Notification ids, unique within a device root across all processes that share it: the
// last id handed out is kept in $ROOT/notifications/last_id, read and advanced under an
// exclusive flock(2).
class NotificationIds {
public:
    // The longest wait for the lock.
    static constexpr int kLockWaitMs = 1000;
    // The next id (1, 2, ...), or 0 when the counter cannot be read, locked within
    // kLockWaitMs, or advanced.
    static int Next();
};

}  // namespace brelta::host

#endif
