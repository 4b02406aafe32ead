#include "capture/CaptureService.h"

#include <net_connection.h>

#include "capture/LiveCapture.h"
#include "capture/PacketCapture.h"

namespace brelta::host {

namespace {
int Result(bool done) {
    return done ? CONNECTION_ERROR_NONE : CONNECTION_ERROR_OPERATION_FAILED;
}
}  // namespace

int EmulatedCaptureService::Start() {
    return Result(PacketCapture::Start());
}

int EmulatedCaptureService::Stop() {
    return Result(PacketCapture::Stop());
}

bool EmulatedCaptureService::Running() {
    return PacketCapture::Running();
}

CaptureService& CaptureService::Holding() {
    LiveCapture::Helper helper;
    if (LiveCapture::Find(&helper)) return Services::Live<CaptureService>();
    return Services::Get<CaptureService>();
}

}  // namespace brelta::host
