#ifndef BRELTA_HOST_NETCONNECTION_H
#define BRELTA_HOST_NETCONNECTION_H

namespace brelta::host {

// Connection handles: opaque tokens that the service hands out and recognises again, so a
// call with a stale or made-up handle fails instead of touching freed memory.
class NetConnection {
public:
    static void* Create();
    static bool Valid(void* handle);
    static bool Destroy(void* handle);
};

}  // namespace brelta::host

#endif
