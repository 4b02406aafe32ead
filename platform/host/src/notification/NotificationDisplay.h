#ifndef BRELTA_HOST_NOTIFICATIONDISPLAY_H
#define BRELTA_HOST_NOTIFICATIONDISPLAY_H

#include "Services.h"
#include "notification/NotificationRecord.h"

namespace brelta::host {

// Where the notification service shows its notifications: the terminal of the emulated TV
// (emulated), or the desktop's notification server (live, see DesktopToasts). The service
// keeps ids, the journal, the callbacks and the input files; a display only shows, takes
// away, and (live) reports what a person did through NotificationService::Report. Show and
// Close are called with the service's lock held.
class NotificationDisplay {
public:
    virtual ~NotificationDisplay() = default;
    // Shows notification `id` as the record holds it now, in place of an earlier post of it.
    // False when it cannot be shown (the display tells the person why): the post fails.
    virtual bool Show(int id, const NotificationRecord& record) = 0;
    // Takes `id` away: the service has hidden it (a deletion, an input file).
    virtual void Close(int id) = 0;
    // An event of `id` has reached its callback.
    virtual void Delivered(int id, int event) = 0;
    // True when the display hides a notification at its time-out itself and reports it;
    // otherwise the service times it out.
    virtual bool TimesOut() const = 0;

    static constexpr Service kService = Service::Toast;
};

// The emulated TV's screen is the terminal, when standard error is one.
class EmulatedNotificationDisplay : public NotificationDisplay {
public:
    bool Show(int id, const NotificationRecord& record) override;
    void Close(int) override {}
    void Delivered(int id, int event) override;
    bool TimesOut() const override { return false; }
};

}  // namespace brelta::host

#endif
