#include "network/NetConnection.h"

#include "base/HandleRegistry.h"

namespace brelta::host {

namespace {
struct Handle {
    int unused = 0;
};

// Never freed itself: the tool keeps a handle until the process ends.
HandleRegistry<Handle>& Open() {
    static HandleRegistry<Handle>* open = new HandleRegistry<Handle>();
    return *open;
}
}  // namespace

void* NetConnection::Create() {
    return Open().Create();
}

bool NetConnection::Valid(void* handle) {
    return Open().Valid(handle);
}

bool NetConnection::Destroy(void* handle) {
    return Open().Destroy(handle);
}

}  // namespace brelta::host
