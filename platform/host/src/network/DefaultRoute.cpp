#include "network/DefaultRoute.h"

#include "network/Gateway.h"

namespace brelta::host {

int EmulatedDefaultRoute::Check(bool* answer) {
    return Gateway::Check("/proc/net/route", answer);
}

}  // namespace brelta::host
