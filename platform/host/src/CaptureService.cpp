#include "CaptureService.h"

#include <net_connection.h>

#include "LiveCapture.h"
#include "LiveServices.h"
#include "PacketCapture.h"

namespace brelta::host {

namespace {
class EmulatedCapture : public CaptureService {
public:
    int Start() override { return Result(PacketCapture::Start()); }
    int Stop() override { return Result(PacketCapture::Stop()); }
    bool Running() override { return PacketCapture::Running(); }

private:
    static int Result(bool done) {
        return done ? CONNECTION_ERROR_NONE : CONNECTION_ERROR_OPERATION_FAILED;
    }
};
}  // namespace

CaptureService& CaptureService::Chosen() {
    static EmulatedCapture emulated;
    static LiveCapture live;
    if (LiveServices::IsLive(LiveServices::Service::Capture)) return live;
    return emulated;
}

}  // namespace brelta::host
