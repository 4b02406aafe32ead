#include "NetConnection.h"

#include "HandleRegistry.h"

namespace brelta::host {

namespace {
struct Handle {
    int unused = 0;
};

// Never freed itself: the tool keeps a handle until the process ends.
HandleRegistry<Handle>& Live() {
    static HandleRegistry<Handle>* live = new HandleRegistry<Handle>();
    return *live;
}
}  // namespace

void* NetConnection::Create() {
    return Live().Create();
}

bool NetConnection::Valid(void* handle) {
    return Live().Valid(handle);
}

bool NetConnection::Destroy(void* handle) {
    return Live().Destroy(handle);
}

}  // namespace brelta::host
