#include "LiveNeeds.h"

#include "DesktopLaunch.h"
#include "DesktopToasts.h"
#include "JournalLog.h"
#include "KernelRoutes.h"
#include "LiveCapture.h"
#include "UdevStorage.h"

namespace brelta::host {

namespace {
using Service = LiveServices::Service;

struct Row {
    Service service;
    LiveNeed (*check)();
};
// One row per service that has a live implementation.
constexpr Row kChecks[] = {
    {Service::Log, JournalLog::Need},       {Service::Gateway, KernelRoutes::Need},
    {Service::Usb, UdevStorage::Need},      {Service::Toast, DesktopToasts::Need},
    {Service::Launch, DesktopLaunch::Need}, {Service::Capture, LiveCapture::Need},
};
}  // namespace

LiveNeed LiveNeeds::Check(Service service) {
    for (const Row& row : kChecks)
        if (row.service == service) return row.check();
    return {false, "no live implementation in this build"};
}

}  // namespace brelta::host
