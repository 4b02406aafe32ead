#ifndef TCPDUMPHANDLER_H
#define TCPDUMPHANDLER_H

#include <net_connection.h>

#include "CUSB.h"

// Starts and stops the platform's packet capture and exports the capture file to the first
// USB storage device. All state is process-wide (below); every command runs in a process of
// its own, so a stop finds a handle only when a start ran earlier in the same process.
class TCPDumpHandler {
public:
    TCPDumpHandler();
    ~TCPDumpHandler();

    // 0 on success, else the failing platform call's result.
    static int Start();
    // 0 when there was nothing to stop or the capture was stopped, whatever became of the
    // export; otherwise the result of the platform call that failed.
    static int Stop();
};

// Connection handle of the capture; null until Start creates it.
extern connection_h m_pConHandler;
// Where the capture state query writes; only the query's result is looked at.
extern int tcpdump_state;
// The USB storage access of the process, constructed before main.
extern CUSB m_USBAPIObj;

#endif
