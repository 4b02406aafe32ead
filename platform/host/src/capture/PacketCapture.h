#ifndef BRELTA_HOST_PACKETCAPTURE_H
#define BRELTA_HOST_PACKETCAPTURE_H

#include <string>

namespace brelta::host {

// The emulated packet capture. Its state is the file $ROOT/network/tcpdump, "running" or
// "stopped" (no newline; a reader ignores trailing white space, so `echo running >` works
// too). The capture records no traffic: what it leaves is a pcap file with its global header
// only, at $ROOT/opt/usr/data/network/tcpdump-[time].pcap, the name the TV uses.
//
// Start only marks the capture running. Stop marks it stopped and makes sure the capture file
// is a valid pcap file: one that already starts with a pcap header is kept as it is (so a test
// can stand in for a long capture, larger than the export limit, by writing it beforehand);
// a missing, short or foreign file is replaced by an empty capture. Both are idempotent, as a
// service's start and stop are: a second start keeps the capture running, a stop of a capture
// that is not running still leaves the stopped state and the file.
class PacketCapture {
public:
    static bool Start();
    static bool Stop();
    // True when the state file says "running"; a missing or unreadable one means stopped.
    static bool Running();

    static std::string StatePath();
    static std::string FilePath();
    // The 24-byte pcap global header of an empty Ethernet capture (microsecond stamps).
    static std::string EmptyCapture();
    // True when the file is at least a header long and starts with a pcap magic number, in
    // either byte order, microsecond or nanosecond flavour.
    static bool IsPcapFile(const std::string& path);
    // Cuts a pcap file back to its last whole record: a capture killed in the middle of a
    // write may have left part of one. A file larger than a live capture can grow (1 MiB) is
    // somebody's own and kept as it is. False when the file cannot be read or cut.
    static bool KeepWholeRecords(const std::string& path);
};

}  // namespace brelta::host

#endif
