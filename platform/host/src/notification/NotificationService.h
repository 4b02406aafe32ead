#ifndef BRELTA_HOST_NOTIFICATIONSERVICE_H
#define BRELTA_HOST_NOTIFICATIONSERVICE_H

#include <notification.h>

#include <string>

namespace brelta::host {

class NotificationRecord;

// The notification service of the emulated TV: what this process has posted, which of it
// is still shown, and the delivery of events to the callback registered with the latest
// post of each notification.
//
// - Events reach the callback on the main context that was the thread default at that post,
//   always from the main loop, never from inside a call of the caller's.
// - A notification is hidden by its time-out (101, `hide_timeout` seconds after the latest
//   post, when positive), by notification_delete_all (201 for each, after the call
//   returned), by an input file (0, 1, 100, 102), or by what its display reports. Once
//   hidden it gets no time-out and no 201; a re-post shows it again and restarts its
//   time-out. Where it is shown is the NotificationDisplay's business; a display that times
//   out by itself (the desktop's) does so instead of the service.
// - Input files ask for events on purpose, so they are delivered whether or not the
//   notification is still shown: that is how a late press is tried.
// - An event for a handle that was freed is still delivered, with a null handle: the
//   callback's user data is what callers rely on.
// - The state belongs to one device root; when the root changes (tests do that) the state
//   of the old one is dropped, pending events and time-outs included.
class NotificationService {
public:
    static int Post(notification_h handle, event_handler_cb callback, void* userdata);
    static int DeleteAll(int type);
    // The handle is being freed: its notification's later events carry a null handle.
    static void Forget(notification_h handle);
    // A file `name` in the input directory was created, written or moved in; `serial`
    // names the state that the watch belongs to.
    static void TakeInput(const std::string& name, bool complete, unsigned serial);
    // The display reports an event of `id`: the notification is hidden and the event
    // delivered from the main loop. With `onlyIfShown`, nothing happens for one that is
    // hidden already (the display's report of a closing the service asked for).
    static void Report(int id, int event, bool onlyIfShown);
    // The handle of this process's latest post of `id`; null when there is none or it was
    // freed. For looking at what a caller set beyond what the journal shows (text keys).
    static const NotificationRecord* Find(int id);
};

}  // namespace brelta::host

#endif
