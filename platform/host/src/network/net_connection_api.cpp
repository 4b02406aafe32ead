// Connection handles of the network connection service. The calls made on a handle (the
// capture, the gateway check) live with their own stand-ins.
#include <net_connection.h>

#include "base/Faults.h"
#include "network/NetConnection.h"

using brelta::host::Faults;

extern "C" int connection_create(connection_h* connection) {
    BRELTA_FAULT_HOOK(fault);
    if (connection == nullptr) return CONNECTION_ERROR_INVALID_PARAMETER;
    *connection = brelta::host::NetConnection::Create();
    return CONNECTION_ERROR_NONE;
}

extern "C" int connection_destroy(connection_h connection) {
    return brelta::host::NetConnection::Destroy(connection) ? CONNECTION_ERROR_NONE
                                                            : CONNECTION_ERROR_INVALID_PARAMETER;
}
