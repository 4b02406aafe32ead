// Packet capture of the maker's network extension on the host platform: the emulated or the
// live capture (CaptureService). The other calls of that extension live with their own
// stand-ins.
#include <ostra_network.h>

#include "CaptureService.h"
#include "Faults.h"
#include "NetConnection.h"

using brelta::host::CaptureService;
using brelta::host::Faults;
using brelta::host::NetConnection;

extern "C" {

int connection_profile_start_tcpdump(connection_h connection) {
    int status = 0;
    if (Faults::Fail("connection_profile_start_tcpdump", &status)) return status;
    if (!NetConnection::Valid(connection)) return CONNECTION_ERROR_INVALID_PARAMETER;
    return CaptureService::Chosen().Start();
}

int connection_profile_stop_tcpdump(connection_h connection) {
    int status = 0;
    if (Faults::Fail("connection_profile_stop_tcpdump", &status)) return status;
    if (!NetConnection::Valid(connection)) return CONNECTION_ERROR_INVALID_PARAMETER;
    return CaptureService::Chosen().Stop();
}

int connection_profile_get_tcpdump_state(connection_h connection, int* tcpdump_state) {
    int status = 0;
    if (Faults::Fail("connection_profile_get_tcpdump_state", &status)) return status;
    if (!NetConnection::Valid(connection) || tcpdump_state == nullptr) {
        return CONNECTION_ERROR_INVALID_PARAMETER;
    }
    *tcpdump_state = CaptureService::Chosen().Running() ? 1 : 0;
    return CONNECTION_ERROR_NONE;
}

}  // extern "C"
