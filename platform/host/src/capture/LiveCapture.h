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
// as in the emulated capture (the helper writes both, and a stop writes "stopped" again);
// network/capture.lock is held by a start until its helper captures and by a stop until it
// has ended. Every one of them, and the capture file, is reached by FileUtil's guarded walk:
// root on another user's root follows none of that user's links.
//
// The helper captures as the owner of $ROOT/network, with no capability left (it drops them
// once the interface and the capture file are open), so a stop signals only a process that is
// provably that helper: its program is this platform's helper, it runs as that owner, and the
// pid file that names it is not a link, nor (for root) another user's file.
//
// A start that cannot capture fails as the TV's capture service fails
// (CONNECTION_ERROR_OPERATION_FAILED) and says why on standard error: "brelta: capture: ...".
class LiveCapture : public CaptureService {
public:
    // A second start while the helper captures keeps that capture and succeeds.
    int Start() override;
    // Ends the helper's capture (SIGTERM, then SIGKILL when it does not end in time) and
    // leaves a capture file that reads to its last whole packet, as the emulated stop does.
    // A pid file that names a process which is not provably the helper fails the stop, with
    // nothing signalled or written.
    int Stop() override;
    // Whether the pid file names the capturing helper.
    bool Running() override;

    struct Helper {
        long pid = 0;
        std::string startTime, interface;
    };
    // What the pid file names: no process (none, or one that has ended: the file is stale),
    // the capturing helper, or a process that is not provably the helper (or a pid file that
    // may not be trusted), with *why saying which.
    enum class Holder { kNone, kHelper, kOther };
    static Holder Identify(Helper* helper, std::string* why);
    // Whether a start can work here: the helper is installed and may capture (the process is
    // root or has CAP_NET_RAW, or the helper carries file capabilities); *reason when not.
    static bool Ready(std::string* reason);
    // The interface a start would capture on (network/capture_interface, else the default
    // route's), when it is there and up; else false with *reason set.
    static bool Interface(std::string* name, std::string* reason);
    // Ready and Interface, for brelta-device live list.
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
