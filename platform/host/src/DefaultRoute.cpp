#include "DefaultRoute.h"

#include "Gateway.h"
#include "KernelRoutes.h"
#include "LiveServices.h"

namespace brelta::host {

namespace {
class EmulatedRoute : public DefaultRoute {
public:
    int Check(bool* answer) override { return Gateway::Check("/proc/net/route", answer); }
};
}  // namespace

DefaultRoute& DefaultRoute::Current() {
    return LiveServices::Pick<DefaultRoute, EmulatedRoute, KernelRoutes>(
        LiveServices::Service::Gateway);
}

}  // namespace brelta::host
