#ifndef BRELTA_HOST_NOTIFICATIONPRESS_H
#define BRELTA_HOST_NOTIFICATIONPRESS_H

#include <string>
#include <vector>

#include "NotificationReplay.h"
#include "base/Outcome.h"

namespace brelta::host {

// A person's hand on a notification, the workbench's and the screen's alike: the event is
// written as the notification's input file (NotificationInput), which the process that posted
// takes from its main loop.
class NotificationPress {
public:
    // The events a person can cause: button 1 or 2 pressed (0, 1), hidden by the user.
    static constexpr int kHidden = 100;

    // Whether the process that posted still runs: only it draws its notifications, times
    // them out and takes their input. A pid reused by another process counts as the poster.
    static bool PosterRuns(long long pid);
    // Acts on notification `id`, one of `onScreen` (NotificationReplay::Read), which must
    // still be up: its poster runs and, for a press, it has that button. The input file is
    // complete when it appears (renamed into place), so that the poster takes it at once;
    // *pid receives the poster.
    static Outcome Press(const std::vector<NotificationReplay::Shown>& onScreen, int id, int event,
                         long long* pid);
};

}  // namespace brelta::host

#endif
