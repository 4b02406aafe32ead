#include "AppLauncher.h"

#include "DesktopLaunch.h"
#include "LiveServices.h"

namespace brelta::host {

namespace {
class JournalOnly : public AppLauncher {
public:
    int Launch(const app_control_s& request) override { return AppControl::Launch(request); }
};
}  // namespace

AppLauncher& AppLauncher::Current() {
    static AppLauncher* emulated = new JournalOnly();
    static AppLauncher* live = new DesktopLaunch();
    return LiveServices::IsLive(LiveServices::Service::Launch) ? *live : *emulated;
}

}  // namespace brelta::host
