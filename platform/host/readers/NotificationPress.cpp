#include "NotificationPress.h"

#include <signal.h>

#include <cerrno>
#include <climits>

#include "base/FileUtil.h"
#include "notification/NotificationInput.h"

namespace brelta::host {

bool NotificationPress::PosterRuns(long long pid) {
    return pid > 0 && pid <= INT_MAX && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

Outcome NotificationPress::Press(const std::vector<NotificationReplay::Shown>& onScreen, int id,
                                 int event, long long* pid) {
    if (event != 0 && event != 1 && event != kHidden) return Outcome::Invalid("no such event");
    std::string name = "notification " + std::to_string(id);
    *pid = 0;
    for (const NotificationReplay::Shown& shown : onScreen) {
        if (shown.id != id) continue;
        if (event != kHidden && shown.record->Buttons().count(event + 1) == 0)
            return Outcome::Refused(name + " has no button " + std::to_string(event + 1));
        *pid = shown.pid;
    }
    if (*pid == 0) return Outcome::Refused(name + " is not on screen");
    if (!PosterRuns(*pid))
        return Outcome::Refused(name + " belongs to process " + std::to_string(*pid) +
                                ", which has ended");
    std::string path = NotificationInput::Path(id);
    errno = 0;
    if (!FileUtil::WriteAtomically(path, std::to_string(event) + "\n"))
        return Outcome::Failed("cannot write " + path, errno);
    return {};
}

}  // namespace brelta::host
