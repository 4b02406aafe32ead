#include "RecordWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace brelta::capture {

namespace {
// Under a flood the queue is written out before it grows large, still at a record's end.
constexpr size_t kQueueBytes = 256 * 1024;

// The record header of the file format: time stamp (seconds, microseconds), captured and
// original length, in the byte order of the file header, which libpcap writes in the host's.
struct RecordHeader {
    uint32_t seconds, microseconds, captured, length;
};
}  // namespace

RecordWriter::RecordWriter(int fd, uint64_t maxBytes) : m_Fd(fd), m_MaxBytes(maxBytes) {
    m_Pending.reserve(kQueueBytes + sizeof(RecordHeader) + 65536);
}

RecordWriter::~RecordWriter() {
    close(m_Fd);
}

bool RecordWriter::Begin(pcap_t* handle) {
    char* header = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&header, &size);
    if (memory == nullptr) return false;
    pcap_dumper_t* dumper = pcap_dump_fopen(handle, memory);
    if (dumper == nullptr) {
        fclose(memory);
        free(header);
        errno = ENOMEM;
        return false;
    }
    pcap_dump_close(dumper);
    bool written = size <= m_MaxBytes && WriteAll(header, size);
    free(header);
    if (written) m_Written = size;
    return written;
}

RecordWriter::Added RecordWriter::Add(const pcap_pkthdr& header, const u_char* data) {
    if (Bytes() + sizeof(RecordHeader) + header.caplen > m_MaxBytes) return Added::Full;
    RecordHeader record = {static_cast<uint32_t>(header.ts.tv_sec),
                           static_cast<uint32_t>(header.ts.tv_usec), header.caplen, header.len};
    m_Pending.append(reinterpret_cast<const char*>(&record), sizeof record);
    m_Pending.append(reinterpret_cast<const char*>(data), header.caplen);
    ++m_Packets;
    if (m_Pending.size() >= kQueueBytes && !Flush()) return Added::WriteFailed;
    return Added::Yes;
}

bool RecordWriter::Flush() {
    if (m_Pending.empty()) return true;
    bool written = WriteAll(m_Pending.data(), m_Pending.size());
    if (written) {
        m_Written += m_Pending.size();
    } else {
        // Part of the queue may have reached the file: cut it back to the last whole record.
        int error = errno;
        if (ftruncate(m_Fd, static_cast<off_t>(m_Written)) == 0)
            lseek(m_Fd, static_cast<off_t>(m_Written), SEEK_SET);
        errno = error;
    }
    m_Pending.clear();
    return written;
}

bool RecordWriter::WriteAll(const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(m_Fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace brelta::capture
