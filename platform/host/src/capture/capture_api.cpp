// Packet capture of the maker's network extension on the host platform: the emulated or the
// live capture (CaptureService). The other calls of that extension live with their own
// stand-ins.
#include <ostra_network.h>

#include "capture/CaptureService.h"
#include "base/Faults.h"
#include "network/NetConnection.h"

using brelta::host::CaptureService;
using brelta::host::Faults;
using brelta::host::NetConnection;
using brelta::host::Services;

extern "C" {

int connection_profile_start_tcpdump(connection_h connection) {
    BRELTA_FAULT_HOOK(fault);
    if (!NetConnection::Valid(connection)) return CONNECTION_ERROR_INVALID_PARAMETER;
    return Services::Get<CaptureService>().Start();
}

int connection_profile_stop_tcpdump(connection_h connection) {
    BRELTA_FAULT_HOOK(fault);
    if (!NetConnection::Valid(connection)) return CONNECTION_ERROR_INVALID_PARAMETER;
    return Services::Get<CaptureService>().Stop();
}

int connection_profile_get_tcpdump_state(connection_h connection, int* tcpdump_state) {
    BRELTA_FAULT_HOOK(fault);
    if (!NetConnection::Valid(connection) || tcpdump_state == nullptr) {
        return CONNECTION_ERROR_INVALID_PARAMETER;
    }
    *tcpdump_state = Services::Get<CaptureService>().Running() ? 1 : 0;
    return CONNECTION_ERROR_NONE;
}

}  // extern "C"
