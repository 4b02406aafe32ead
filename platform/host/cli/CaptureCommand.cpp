#include "CaptureCommand.h"

#include <net_connection.h>

#include "CaptureService.h"
#include "CliError.h"
#include "LiveCapture.h"
#include "LiveServices.h"
#include "Output.h"

namespace brelta::cli {

using host::CaptureService;
using host::LiveCapture;
using host::LiveServices;

namespace {
// A capture helper that runs is the capture, whichever kind this process would choose: whoever
// started it live and stops or asks about it without saying "live" again means that one.
std::string Status() {
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

const char* CaptureCommand::Usage() const {
    return "  capture start|stop            start or stop the packet capture\n"
           "  capture status                print whether it runs\n";
}

const char* CaptureCommand::Details() const {
    return "A live capture (BRELTA_LIVE or $ROOT/live names capture) runs until it is stopped\n"
           "here, by the run of the tool that started it, or at its bounds (1 MiB, or the\n"
           "seconds of $ROOT/network/capture_seconds, default 600). Its file is\n"
           "$ROOT/opt/usr/data/network/tcpdump-[time].pcap.\n"
           "\n"
           "stop and status find a running capture helper also where capture is not live.\n"
           "status prints \"running\" (live: \"running on INTERFACE (pid PID)\") or \"stopped\".\n";
}

int CaptureCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command != "start" && command != "stop" && command != "status") UnknownSubcommand(command);
    bool helped = false;
    Arguments args = Parse(words, {}, ("capture " + command).c_str(), &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    if (command == "status") {
        Output::Print(Status() + "\n");
        return 0;
    }
    // The platform has said why on standard error.
    if (command == "start") {
        if (CaptureService::Chosen().Start() != CONNECTION_ERROR_NONE)
            throw CliError::Failure("the capture did not start");
        return 0;
    }
    LiveCapture::Helper helper;
    static LiveCapture live;
    CaptureService& capture = LiveCapture::Find(&helper) ? live : CaptureService::Chosen();
    if (capture.Stop() != CONNECTION_ERROR_NONE)
        throw CliError::Failure("the capture did not stop cleanly");
    return 0;
}

}  // namespace brelta::cli
