#ifndef BRELTA_HOST_DESKTOPTOASTS_H
#define BRELTA_HOST_DESKTOPTOASTS_H

#include <glib.h>

#include <map>
#include <mutex>
#include <string>

#include "LiveNeed.h"
#include "notification/DesktopNotifications.h"
#include "notification/NotificationDisplay.h"

namespace brelta::host {

// The live display of the notification service: each notification is a desktop
// notification. Its buttons are actions, keyed by their number ("1", "2"), except the
// default button, whose key is "default" (a server may show it as a click on the
// notification itself rather than as a button); the hide time-out is the expiry. What the
// server reports reaches the service as the TV's notification service reports it:
//
//   ActionInvoked "1" / "2" / "default"       press of that button: event 0 / 1 / default - 1
//   NotificationClosed, reason 1 (expired)    101, hidden by time-out
//   NotificationClosed, reason 2 (dismissed)  100, hidden by the user
//   NotificationClosed, other reasons         102, hidden from outside
//   the server leaves the bus                 102 for each notification still shown
//
// A closing of one that the service has hidden already (its own CloseNotification after a
// deletion, or after a press) brings no event.
class DesktopToasts : public NotificationDisplay, private DesktopNotifications::Listener {
public:
    // Listens to the server's reports from now on. Made once per process, by the table of
    // services, and never freed, like the service it serves.
    DesktopToasts();

    bool Show(int id, const NotificationRecord& record) override;
    void Close(int id) override;
    void Delivered(int, int) override {}
    bool TimesOut() const override { return true; }

    // What a live toast needs here: a session bus with a notification server that has the
    // "actions" capability. False with the reason when it is missing.
    static LiveNeed Need();

private:
    struct Shown {
        guint32 serverId;
        int defaultButton;  // 0 when none is marked
    };

    void ActionInvoked(guint32 serverId, const std::string& key) override;
    void Closed(guint32 serverId, guint32 reason) override;
    void ServerGone(const std::string& why) override;
    // The service's id of a server's id, 0 when it is none of ours; `forget` drops it.
    int Find(guint32 serverId, bool forget, Shown* shown);

    std::mutex m_Mutex;
    std::map<int, Shown> m_Shown;  // by the service's id
};

}  // namespace brelta::host

#endif
