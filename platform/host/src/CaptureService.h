#ifndef BRELTA_HOST_CAPTURESERVICE_H
#define BRELTA_HOST_CAPTURESERVICE_H

namespace brelta::host {

// The platform's packet capture, as the network extension's capture calls and the
// workbench's capture commands drive it: the emulated capture (PacketCapture, files under
// the device root) or the live one (LiveCapture, a real capture on this machine), whichever
// LiveServices chooses for the process. Results are the connection service's
// (CONNECTION_ERROR_NONE, or the error the service gives).
class CaptureService {
public:
    virtual ~CaptureService() {}
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual bool Running() = 0;

    static CaptureService& Chosen();
};

}  // namespace brelta::host

#endif
