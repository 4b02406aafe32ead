#ifndef BRELTA_HOST_CAPTURESERVICE_H
#define BRELTA_HOST_CAPTURESERVICE_H

#include "Services.h"

namespace brelta::host {

// The platform's packet capture, as the network extension's capture calls and the
// workbench's capture commands drive it: the emulated capture (PacketCapture, files under
// the device root) or the live one (LiveCapture, a real capture on this machine). Results
// are the connection service's (CONNECTION_ERROR_NONE, or the error the service gives).
class CaptureService {
public:
    virtual ~CaptureService() = default;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual bool Running() = 0;

    static constexpr Service kService = Service::Capture;
    // The capture that a stop or a question from the workbench means: a live capture helper
    // that runs is the capture, whichever kind this process would choose (whoever started it
    // live and stops it without saying "live" again means that one); else this process's.
    static CaptureService& Holding();
};

// The emulated capture: PacketCapture's state file and capture file.
class EmulatedCaptureService : public CaptureService {
public:
    int Start() override;
    int Stop() override;
    bool Running() override;
};

}  // namespace brelta::host

#endif
