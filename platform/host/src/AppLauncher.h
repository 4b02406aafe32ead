#ifndef BRELTA_HOST_APPLAUNCHER_H
#define BRELTA_HOST_APPLAUNCHER_H

#include "AppControl.h"

namespace brelta::host {

// Where a launch request goes once it has passed its fault script: nowhere but the journal
// (emulated), or to the desktop (live, DesktopLaunch). Either way the caller journals it
// with the result given here.
class AppLauncher {
public:
    virtual ~AppLauncher() = default;
    // The result the caller of app_control_send_launch_request gets.
    virtual int Launch(const app_control_s& request) = 0;

    // The launcher of the process, as the choice of live services has it now.
    static AppLauncher& Current();
};

}  // namespace brelta::host

#endif
