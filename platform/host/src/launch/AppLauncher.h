#ifndef BRELTA_HOST_APPLAUNCHER_H
#define BRELTA_HOST_APPLAUNCHER_H

#include "Services.h"
#include "launch/AppControl.h"

namespace brelta::host {

// Where a launch request goes once it has passed its fault script: nowhere but the journal
// (emulated), or to the desktop (live, DesktopLaunch). Either way the caller journals it
// with the result given here.
class AppLauncher {
public:
    virtual ~AppLauncher() = default;
    // The result the caller of app_control_send_launch_request gets.
    virtual int Launch(const app_control_s& request) = 0;

    static constexpr Service kService = Service::Launch;
};

// The emulated launcher: the journal is all there is of it.
class EmulatedAppLauncher : public AppLauncher {
public:
    int Launch(const app_control_s& request) override;
};

}  // namespace brelta::host

#endif
