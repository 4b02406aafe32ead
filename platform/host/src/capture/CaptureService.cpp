#include "capture/CaptureService.h"

#include <net_connection.h>

#include <cstdio>

#include "capture/LiveCapture.h"
#include "capture/PacketCapture.h"

namespace brelta::host {

int CaptureService::Failed(const std::string& reason) {
    std::fprintf(stderr, "brelta: capture: %s\n", reason.c_str());
    return CONNECTION_ERROR_OPERATION_FAILED;
}

int EmulatedCaptureService::Start() {
    std::string reason;
    return PacketCapture::Start(&reason) ? CONNECTION_ERROR_NONE : Failed(reason);
}

int EmulatedCaptureService::Stop() {
    std::string reason;
    return PacketCapture::Stop(false, &reason) ? CONNECTION_ERROR_NONE : Failed(reason);
}

bool EmulatedCaptureService::Running() {
    return PacketCapture::Running();
}

CaptureService& CaptureService::Holding() {
    // A pid file that names another process is the live capture's to refuse.
    LiveCapture::Helper helper;
    std::string why;
    if (LiveCapture::Identify(&helper, &why) != LiveCapture::Holder::kNone)
        return Services::Live<CaptureService>();
    return Services::Get<CaptureService>();
}

}  // namespace brelta::host
