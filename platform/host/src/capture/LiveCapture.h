#ifndef BRELTA_HOST_LIVECAPTURE_H
#define BRELTA_HOST_LIVECAPTURE_H

#include <string>

#include "LiveNeed.h"
#include "capture/CaptureService.h"

namespace brelta::host {

// The live packet capture: the platform's helper program brelta-capture captures on a network
// interface of this machine into the capture file, $ROOT/opt/usr/data/network/
// tcpdump-[time].pcap. It runs detached, so a capture started by one process is stopped by
// another (or ends by itself at its bounds: 1,048,576 bytes, or $ROOT/network/capture_seconds).
//
// Files under the root: network/capture_interface names the interface (else the default
// route's); network/capture.pid says which process captures ("PID START-TIME INTERFACE", the
// helper writes it and removes it when it ends); network/tcpdump says "running" or "stopped"
// as in the emulated capture (the helper writes both, and a stop writes "stopped" again).
//
// A start that cannot capture fails as the TV's capture service fails
// (CONNECTION_ERROR_OPERATION_FAILED) and says why on standard error: "brelta: capture: ...".
class LiveCapture : public CaptureService {
public:
    // A second start while the helper captures keeps that capture and succeeds.
    int Start() override;
    // Ends the helper's capture (SIGTERM, then SIGKILL when it does not end in time) and
    // leaves a capture file that reads to its last whole packet, as the emulated stop does.
    int Stop() override;
    // Whether the process of the pid file is alive and is the helper that wrote it.
    bool Running() override;

    struct Helper {
        long pid = 0;
        std::string startTime, interface;
    };
    // The capturing helper, when there is one.
    static bool Find(Helper* helper);
    // Whether a start can work here: the helper is installed and may capture (the process is
    // root or has CAP_NET_RAW, or the helper carries file capabilities); *reason when not.
    static bool Ready(std::string* reason);
    // Ready, for brelta-device live list.
    static LiveNeed Need();

    static std::string HelperPath();
    static std::string PidPath();
    static std::string InterfacePath();
    static std::string SecondsPath();

private:
    static int StartHelper();
};

}  // namespace brelta::host

#endif
