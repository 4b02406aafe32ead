#include "capture/PacketCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "capture/CaptureLimits.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"

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

bool WriteState(const char* state) {
    return FileUtil::WriteAtomically(PacketCapture::StatePath(), state);
}
}  // namespace

std::string PacketCapture::StatePath() {
    return DeviceRoot::MakeDir("network") + "/tcpdump";
}

std::string PacketCapture::FilePath() {
    return DeviceRoot::DevicePath("/opt/usr/data/network/tcpdump-[time].pcap");
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

bool PacketCapture::IsPcapFile(const std::string& path) {
    std::string header;
    if (!FileUtil::ReadHead(path, &header, kHeaderBytes) || header.size() < kHeaderBytes)
        return false;
    uint32_t magic = ReadLittleEndian(reinterpret_cast<const unsigned char*>(header.data()));
    for (uint32_t known : {kMagicMicro, kMagicNano}) {
        if (magic == known || magic == Swapped(known)) return true;
    }
    return false;
}

bool PacketCapture::KeepWholeRecords(const std::string& path) {
    std::string content;
    if (!FileUtil::Read(path, &content, capture::kMaxBytes)) return FileUtil::Exists(path);
    if (content.size() < kHeaderBytes) return false;
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
    if (whole == content.size()) return true;
    int fd = FileUtil::OpenRegular(path, O_WRONLY);
    bool cut = fd >= 0 && ftruncate(fd, static_cast<off_t>(whole)) == 0;
    if (fd >= 0) close(fd);
    return cut;
}

bool PacketCapture::Start() {
    return WriteState("running");
}

bool PacketCapture::Stop() {
    if (!WriteState("stopped")) return false;
    std::string file = FilePath();
    if (IsPcapFile(file)) return true;
    return FileUtil::WriteAtomically(file, EmptyCapture());
}

bool PacketCapture::Running() {
    std::string state;
    if (!FileUtil::Read(StatePath(), &state, 256)) return false;
    while (!state.empty() && (state.back() == '\n' || state.back() == ' ' || state.back() == '\t' ||
                              state.back() == '\r')) {
        state.pop_back();
    }
    return state == "running";
}

}  // namespace brelta::host
