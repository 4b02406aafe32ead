#ifndef BRELTA_HOST_CAPTUREEXPORT_H
#define BRELTA_HOST_CAPTUREEXPORT_H

#include <string>

#include "base/Outcome.h"

namespace brelta::host {

// What a person does with the capture from the workbench (brelta-device capture stop and
// export) and the screen (its "stop and copy" key): what the tool's stop does in the process
// that started the capture, for a capture that another process started. The tool's stop key
// runs in a process of its own, holds no capture and so copies nothing; these are the way
// that works.
class CaptureExport {
public:
    // The tool's stop, as it leaves the device: the TS-dump key 0, the capture stopped (the
    // live helper wherever it runs, CaptureService::Holding), the running-status key 0
    // whatever the stop came to, so that the next start key starts again. The service's
    // result.
    static int Stop();
    // Copies the capture file to the first USB storage device under the tool's destination
    // name, MOUNTPATH/tcpdump-[time].pcap, with the tool's rules: at most 1,048,576 bytes,
    // and whatever stands at the name (a link included) is replaced, never followed. Refused
    // while the live capture runs, without a capture file, without a USB device. *copied
    // receives the destination. Root copies a device root that another user owns as that
    // user, with no privilege left: the destination comes from that user's files.
    static Outcome Export(std::string* copied);
};

}  // namespace brelta::host

#endif
