#include "capture/PacketCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "capture/CaptureLimits.h"

namespace brelta::host {

namespace {
constexpr size_t kHeaderBytes = 24;
constexpr uint32_t kMagicMicro = 0xa1b2c3d4;
constexpr uint32_t kMagicNano = 0xa1b23c4d;
constexpr uint32_t kLinkTypeEthernet = 1;
constexpr size_t kRecordHeaderBytes = 16;

void PutLittleEndian(std::string* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

uint32_t ReadLittleEndian(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t Swapped(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xff00) | ((value << 8) & 0xff0000) | (value << 24);
}

bool WriteState(const char* state, std::string* reason) {
    if (FileUtil::WriteAtomicallyGuarded(PacketCapture::StatePath(), state)) return true;
    *reason = PacketCapture::Unusable(PacketCapture::StatePath(), errno);
    return false;
}

// Cuts the open pcap file back to its last whole record.
bool KeepWholeRecords(int fd) {
    std::string content;
    // Larger than a capture grows: somebody's own, kept.
    if (!FileUtil::ReadOpen(fd, &content, capture::kMaxBytes)) return errno == EFBIG;
    const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
    uint32_t magic = ReadLittleEndian(bytes);
    bool swapped = magic == Swapped(kMagicMicro) || magic == Swapped(kMagicNano);
    size_t whole = kHeaderBytes;
    while (content.size() - whole >= kRecordHeaderBytes) {
        uint32_t captured = ReadLittleEndian(bytes + whole + 8);
        if (swapped) captured = Swapped(captured);
        if (captured > content.size() - whole - kRecordHeaderBytes) break;
        whole += kRecordHeaderBytes + captured;
    }
    return whole == content.size() || ftruncate(fd, static_cast<off_t>(whole)) == 0;
}
}  // namespace

std::string PacketCapture::StatePath() {
    return DeviceRoot::Path() + "/network/tcpdump";
}

std::string PacketCapture::FilePath() {
    return DeviceRoot::Path() + "/opt/usr/data/network/tcpdump-[time].pcap";
}

std::string PacketCapture::EmptyCapture() {
    std::string header;
    PutLittleEndian(&header, kMagicMicro, 4);
    PutLittleEndian(&header, 2, 2);  // format version 2.4
    PutLittleEndian(&header, 4, 2);
    PutLittleEndian(&header, 0, 4);  // time zone offset: UTC
    PutLittleEndian(&header, 0, 4);  // time stamp accuracy
    PutLittleEndian(&header, capture::kSnapLength, 4);
    PutLittleEndian(&header, kLinkTypeEthernet, 4);
    return header;
}

bool PacketCapture::IsPcapHeader(const std::string& head) {
    if (head.size() < kHeaderBytes) return false;
    uint32_t magic = ReadLittleEndian(reinterpret_cast<const unsigned char*>(head.data()));
    for (uint32_t known : {kMagicMicro, kMagicNano}) {
        if (magic == known || magic == Swapped(known)) return true;
    }
    return false;
}

std::string PacketCapture::Unusable(const std::string& path, int error) {
    return path + ": " + FileUtil::Why(error);
}

bool PacketCapture::Start(std::string* reason) {
    return WriteState("running", reason);
}

bool PacketCapture::Stop(bool cut, std::string* reason) {
    if (!WriteState("stopped", reason)) return false;
    std::string file = FilePath();
    int fd = FileUtil::OpenGuarded(file, cut ? O_RDWR : O_RDONLY);
    // A FIFO, a directory or nothing at the name: no capture to keep.
    if (fd < 0 && errno != ENOENT && errno != EINVAL && errno != ENOTDIR) {
        *reason = Unusable(file, errno);
        return false;
    }
    char head[kHeaderBytes];
    bool pcap = fd >= 0 && pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
                IsPcapHeader(std::string(head, sizeof head));
    bool kept = pcap && (!cut || KeepWholeRecords(fd));
    if (fd >= 0) close(fd);
    if (pcap) {
        if (!kept) *reason = Unusable(file, errno);
        return kept;
    }
    if (FileUtil::WriteAtomicallyGuarded(file, EmptyCapture())) return true;
    *reason = Unusable(file, errno);
    return false;
}

bool PacketCapture::Running() {
    std::string state;
    if (!FileUtil::ReadGuarded(StatePath(), &state, 256)) return false;
    while (!state.empty() && (state.back() == '\n' || state.back() == ' ' || state.back() == '\t' ||
                              state.back() == '\r')) {
        state.pop_back();
    }
    return state == "running";
}

}  // namespace brelta::host
