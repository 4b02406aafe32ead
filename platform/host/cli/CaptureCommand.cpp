#include "Commands.h"

#include <net_connection.h>

#include "CliError.h"
#include "Output.h"
#include "capture/CaptureService.h"
#include "capture/LiveCapture.h"

namespace brelta::cli::capture {

using host::CaptureService;
using host::LiveCapture;
using host::Service;
using host::Services;

namespace {
std::string StatusText() {
    LiveCapture::Helper helper;
    if (LiveCapture::Find(&helper))
        return "running on " + Output::Escape(helper.interface) + " (pid " +
               std::to_string(helper.pid) + ")";
    if (!Services::IsLive(Service::Capture))
        return Services::Get<CaptureService>().Running() ? "running" : "stopped";
    std::string reason;
    return LiveCapture::Ready(&reason) ? "stopped" : "stopped; cannot start: " + reason;
}
}  // namespace

int Status(const Arguments&) {
    Output::Print(StatusText() + "\n");
    return 0;
}

// The platform has said why on standard error.
int Start(const Arguments&) {
    if (Services::Get<CaptureService>().Start() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not start");
    return 0;
}

int Stop(const Arguments&) {
    if (CaptureService::Holding().Stop() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not stop cleanly");
    return 0;
}

}  // namespace brelta::cli::capture
