#include "Commands.h"

#include <net_connection.h>

#include "CaptureService.h"
#include "CliError.h"
#include "LiveCapture.h"
#include "LiveServices.h"
#include "Output.h"

namespace brelta::cli::capture {

using host::CaptureService;
using host::LiveCapture;
using host::LiveServices;

namespace {
// A capture helper that runs is the capture, whichever kind this process would choose: whoever
// started it live and stops or asks about it without saying "live" again means that one.
std::string StatusText() {
    LiveCapture::Helper helper;
    if (LiveCapture::Find(&helper))
        return "running on " + Output::Escape(helper.interface) + " (pid " +
               std::to_string(helper.pid) + ")";
    if (!LiveServices::IsLive(LiveServices::Service::Capture))
        return CaptureService::Chosen().Running() ? "running" : "stopped";
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
    if (CaptureService::Chosen().Start() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not start");
    return 0;
}

int Stop(const Arguments&) {
    LiveCapture::Helper helper;
    static LiveCapture live;
    CaptureService& capture = LiveCapture::Find(&helper) ? live : CaptureService::Chosen();
    if (capture.Stop() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not stop cleanly");
    return 0;
}

}  // namespace brelta::cli::capture
