#include "launch/AppLauncher.h"

namespace brelta::host {

int EmulatedAppLauncher::Launch(const app_control_s& request) {
    return AppControl::Launch(request);
}

}  // namespace brelta::host
