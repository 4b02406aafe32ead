#include "Commands.h"

#include <net_connection.h>

#include "CaptureExport.h"
#include "CliError.h"
#include "Output.h"
#include "base/FileUtil.h"
#include "capture/CaptureService.h"
#include "capture/LiveCapture.h"
#include "capture/PacketCapture.h"

namespace brelta::cli::capture {

using host::CaptureExport;
using host::CaptureService;
using host::FileUtil;
using host::LiveCapture;
using host::PacketCapture;
using host::Service;
using host::Services;

namespace {
std::string StateText() {
    LiveCapture::Helper helper;
    std::string why;
    LiveCapture::Holder holder = LiveCapture::Identify(&helper, &why);
    if (holder == LiveCapture::Holder::kHelper)
        return "running on " + Output::Escape(helper.interface) + " (pid " +
               std::to_string(helper.pid) + ")";
    if (holder == LiveCapture::Holder::kOther) {
        Output::Warn(Output::Escape(why) + ": not the capture, and a stop refuses to signal it");
        return "stopped";
    }
    if (!Services::IsLive(Service::Capture))
        return Services::Get<CaptureService>().Running() ? "running" : "stopped";
    std::string reason;
    return LiveCapture::Ready(&reason) ? "stopped" : "stopped; cannot start: " + reason;
}

// Where the capture is, and what brings it to a USB stick: the key combination's stop does
// not (it runs in a process of its own, which holds no capture).
std::string FileText() {
    std::string file = PacketCapture::FilePath();
    return "file: " + Output::Escape(file) + (FileUtil::Exists(file) ? "" : " (none yet)") +
           "; each start overwrites it, and brelta-device capture export copies it to the "
           "first USB storage device\n";
}
}  // namespace

int Status(const Arguments&) {
    Output::Print(StateText() + "\n" + FileText());
    return 0;
}

// The platform has said why on standard error.
int Start(const Arguments&) {
    if (Services::Get<CaptureService>().Start() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not start");
    return 0;
}

int Stop(const Arguments&) {
    if (CaptureExport::Stop() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not stop cleanly");
    Output::Print("stopped\n" + FileText());
    return 0;
}

int Export(const Arguments&) {
    std::string copied;
    CliError::Require(CaptureExport::Export(&copied));
    Output::Print("copied to " + Output::Escape(copied) + "\n");
    return 0;
}

}  // namespace brelta::cli::capture
