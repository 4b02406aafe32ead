#ifndef BRELTA_HOST_DESKTOPNOTIFICATIONS_H
#define BRELTA_HOST_DESKTOPNOTIFICATIONS_H

#include <glib.h>

#include <string>
#include <utility>
#include <vector>

namespace brelta::host {

// A client of the desktop's notification server, org.freedesktop.Notifications on the
// session bus, for the live services. Every wait is bounded by kTimeoutMs: connecting to the
// bus, and each call. A bus or a server that stops answering costs a caller that much once
// per call, never a hang. The connection is this process's own, made at the first call (a
// forked child makes its own: a connection's worker thread does not survive a fork), and
// made again after the bus closed it.
class DesktopNotifications {
public:
    static constexpr int kTimeoutMs = 2000;
    enum Urgency : guchar { kLow = 0, kNormal = 1, kCritical = 2 };

    struct Notice {
        std::string summary;
        std::string body;
        std::string icon;  // a file name, an icon name, or empty
        // (key, label) in the order the buttons are drawn
        std::vector<std::pair<std::string, std::string>> actions;
        Urgency urgency = kNormal;
        gint32 expireMs = -1;  // -1: the server's choice; 0: never
        guint32 replaces = 0;  // the server's id of the notification this one replaces
    };

    // What the server reports. Called on the main context that was the thread default when
    // the connection was made.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void ActionInvoked(guint32 id, const std::string& key) = 0;
        virtual void Closed(guint32 id, guint32 reason) = 0;
        // The server left the bus, or the bus closed the connection: its notifications are gone.
        virtual void ServerGone(const std::string& why) = 0;
    };

    // Shows the notice; *id is the server's id of it. A notice with actions needs a server
    // with the "actions" capability: without one it is not shown, since its buttons could
    // never be pressed. False, with the reason, when it was not shown.
    static bool Notify(const Notice& notice, guint32* id, std::string* reason);
    static bool Close(guint32 id, std::string* reason);
    // Whether a server answers on the session bus (with the "actions" capability, when
    // `needActions`); false with the reason when not.
    static bool Check(bool needActions, std::string* reason);
    // The one listener of the process (set before the first Notify).
    static void Listen(Listener* listener);

    // How a live service tells a person why something did not reach the desktop: one line
    // on standard error, "brelta: <service>: <reason>".
    static void Warn(const char* service, const std::string& reason);
};

}  // namespace brelta::host

#endif
