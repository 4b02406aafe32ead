#ifndef BRELTA_CAPTURE_RECORDWRITER_H
#define BRELTA_CAPTURE_RECORDWRITER_H

#include <pcap/pcap.h>

#include <cstdint>
#include <string>

namespace brelta::capture {

// The capture file: a pcap file header, then one record per packet. Records are gathered in
// memory and written whole, so every write(2) ends at the end of a record and a helper killed
// between two writes leaves a file that reads up to its last record (a failed write is cut
// back to the last whole one). The file never grows past its bound: the record that would
// pass it is refused, and the capture ends there.
class RecordWriter {
public:
    RecordWriter(int fd, uint64_t maxBytes);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // The header that libpcap writes for captures of this handle (its link type, snapshot
    // length and byte order), written at once so that the file is a valid capture from the
    // start. False with errno set when it cannot be written.
    bool Begin(pcap_t* handle);
    enum class Added { Yes, Full, WriteFailed };
    // Queues the packet's record: Full when it would take the file past its bound (nothing is
    // queued), WriteFailed (errno set) when writing out a long queue failed.
    Added Add(const pcap_pkthdr& header, const u_char* data);
    // Writes the queued records; false with errno set when the disk refuses them.
    bool Flush();

    uint64_t Packets() const { return m_Packets; }
    uint64_t Bytes() const { return m_Written + m_Pending.size(); }

private:
    bool WriteAll(const char* data, size_t size);

    int m_Fd;
    uint64_t m_MaxBytes;
    uint64_t m_Written = 0;  // bytes of the file that are whole records on disk
    uint64_t m_Packets = 0;
    std::string m_Pending;
};

}  // namespace brelta::capture

#endif
