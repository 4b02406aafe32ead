#include "CaptureExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "Services.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/Privileges.h"
#include "capture/CaptureLimits.h"
#include "capture/CaptureService.h"
#include "capture/LiveCapture.h"
#include "capture/PacketCapture.h"
#include "settings/SettingsStore.h"
#include "usb/UsbStorage.h"

namespace brelta::host {

namespace {
// The tool's two keys of the capture (its capture task writes them).
const char kRunningStatusKey[] = "memory/Brelta/tcpdump_running_status";
const char kTSDumpKey[] = "memory/menu/network/screenmirroring/capture_tsdump";

// The copy itself, by the process that may make it.
Outcome Copy(const std::string& mountpath, std::string* copied) {
    std::string file = PacketCapture::FilePath(), content;
    int fd = FileUtil::OpenGuarded(file, O_RDONLY);
    if (fd < 0 && errno == ENOENT)
        return Outcome::Refused("there is no capture file " + file + ": start a capture first");
    if (fd < 0) return {Outcome::kFailed, "cannot read " + PacketCapture::Unusable(file, errno)};
    bool read = FileUtil::ReadOpen(fd, &content, capture::kMaxBytes);
    int error = errno;
    close(fd);
    if (!read && error == EFBIG)
        return Outcome::Refused(file + " is larger than " + std::to_string(capture::kMaxBytes) +
                                " bytes: the export copies no more, as the tool's stop does");
    if (!read) return Outcome::Failed("cannot read " + file, error);
    int dir = FileUtil::OpenDirGuarded(mountpath, false);
    *copied = mountpath + "/" + FileUtil::BaseName(file);
    bool written = dir >= 0 && FileUtil::WriteAtomicallyAt(dir, FileUtil::BaseName(file), content);
    error = errno;
    if (dir >= 0) close(dir);
    if (!written)
        return {Outcome::kFailed, "cannot write " + *copied + ": " + FileUtil::Why(error)};
    return Outcome();
}

// Copy in a child process that became `owner` first; its outcome comes back through a pipe.
Outcome CopyAs(const struct stat& owner, const std::string& mountpath, std::string* copied) {
    int result[2];
    if (pipe2(result, O_CLOEXEC) != 0) return Outcome::Failed("cannot make a pipe", errno);
    pid_t child = fork();
    if (child < 0) {
        int error = errno;
        close(result[0]);
        close(result[1]);
        return Outcome::Failed("cannot fork", error);
    }
    if (child == 0) {
        close(result[0]);
        std::string reason;
        Outcome outcome = Privileges::Drop(true, owner.st_uid, owner.st_gid, &reason)
                              ? Copy(mountpath, copied)
                              : Outcome::Failed(reason, EPERM);
        std::string text = std::to_string(outcome.status) + "\n" + outcome.message;
        ssize_t ignored = write(result[1], text.data(), text.size());
        (void)ignored;
        _exit(0);
    }
    close(result[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(result[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
    close(result[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::string::size_type line = text.find('\n');
    if (line == std::string::npos) return Outcome::Failed("the copy did not end", EIO);
    Outcome outcome{static_cast<Outcome::Status>(std::stoi(text.substr(0, line))),
                    text.substr(line + 1)};
    if (outcome.Done()) *copied = mountpath + "/" + FileUtil::BaseName(PacketCapture::FilePath());
    outcome.message += outcome.Done() ? ""
                                      : " (copied as user " + std::to_string(owner.st_uid) +
                                            ", who owns the device root)";
    return outcome;
}
}  // namespace

int CaptureExport::Stop() {
    SettingsStore::Write(kTSDumpKey, SettingType::Int, "0");
    int result = CaptureService::Holding().Stop();
    SettingsStore::Write(kRunningStatusKey, SettingType::Int, "0");
    return result;
}

Outcome CaptureExport::Export(std::string* copied) {
    LiveCapture::Helper helper;
    std::string why;
    if (LiveCapture::Identify(&helper, &why) == LiveCapture::Holder::kHelper)
        return Outcome::Refused("the capture runs (pid " + std::to_string(helper.pid) +
                                "): stop it first (brelta-device capture stop)");
    std::vector<UsbStorage::Device> devices;
    if (!Services::Get<UsbStorage>().Attached(&devices))
        return Outcome::Failed("cannot list the USB storage devices", EIO);
    if (devices.empty()) return Outcome::Refused("no USB storage device is attached");
    struct stat owner;
    if (stat(DeviceRoot::Path().c_str(), &owner) != 0)
        return Outcome::Failed("cannot look at " + DeviceRoot::Path(), errno);
    if (geteuid() == 0 && owner.st_uid != 0) return CopyAs(owner, devices[0].mountpath, copied);
    return Copy(devices[0].mountpath, copied);
}

}  // namespace brelta::host
