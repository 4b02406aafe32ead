// Connection handles of the network connection service. The calls made on a handle (the
// capture, the gateway check) live with their own stand-ins.
#include <net_connection.h>

#include "Faults.h"
#include "NetConnection.h"

using brelta::host::Faults;

extern "C" int connection_create(connection_h* connection) {
    int status = 0;
    if (Faults::Fail("connection_create", &status)) return status;
    if (connection == nullptr) return CONNECTION_ERROR_INVALID_PARAMETER;
    *connection = brelta::host::NetConnection::Create();
    return CONNECTION_ERROR_NONE;
}

extern "C" int connection_destroy(connection_h connection) {
    return brelta::host::NetConnection::Destroy(connection) ? CONNECTION_ERROR_NONE
                                                            : CONNECTION_ERROR_INVALID_PARAMETER;
}
