#include "usb/UsbDevices.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/VisibleText.h"

namespace brelta::host {

namespace {
std::mutex g_usbDevicesMutex;
// Never freed: the tool reads a device's texts after freeing its list, and exit-time code
// may still ask for them.
std::map<std::pair<std::string, std::string>, usb_device_s*>* g_devices = nullptr;
std::set<usb_device_s*>* g_known = nullptr;
std::set<usb_device_list_s*>* g_lists = nullptr;
usb_connected_cb g_callback = nullptr;
void* g_callback_data = nullptr;

usb_device_s* Intern(const UsbDevices::Line& line) {
    if (g_devices == nullptr) {
        g_devices = new std::map<std::pair<std::string, std::string>, usb_device_s*>();
        g_known = new std::set<usb_device_s*>();
    }
    auto key = std::make_pair(line.mountpath, line.product);
    auto it = g_devices->find(key);
    if (it != g_devices->end()) return it->second;
    usb_device_s* device = new usb_device_s{line.mountpath, line.product};
    g_devices->emplace(key, device);
    g_known->insert(device);
    return device;
}
}  // namespace

std::vector<UsbDevices::Line> UsbDevices::Parse(const std::string& content) {
    std::vector<Line> lines;
    std::string::size_type start = 0;
    while (start < content.size()) {
        std::string::size_type end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string text = content.substr(start, end - start);
        start = end + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;
        std::string::size_type tab = text.find('\t');
        if (tab == std::string::npos) {
            lines.push_back(Line{text, ""});
        } else {
            lines.push_back(Line{text.substr(0, tab), text.substr(tab + 1)});
        }
    }
    return lines;
}

std::string UsbDevices::Format(const std::vector<Line>& lines) {
    std::string content;
    for (const Line& line : lines) content += line.mountpath + "\t" + line.product + "\n";
    return content;
}

std::string UsbDevices::Path() {
    return DeviceRoot::Path() + "/usb/devices";
}

Outcome UsbDevices::Read(std::vector<Line>* lines) {
    std::string content, path = Path();
    if (!FileUtil::Read(path, &content) && FileUtil::Exists(path))
        return Outcome::Failed("cannot read " + path + " (not a regular file of at most 1 MiB)",
                               errno);
    *lines = Parse(content);
    return {};
}

namespace {
// A tab or a line break would split the line of the devices file.
bool OneField(const std::string& text) {
    return !text.empty() && text.find_first_of("\t\r\n") == std::string::npos;
}

// Reads the list, lets `change` edit it, writes it back: all under the lock.
template <typename Change>
Outcome Rewrite(Change change) {
    std::string lock = UsbDevices::Path() + ".lock";
    FileUtil::MakeDirs(FileUtil::Parent(lock));
    int fd = FileUtil::OpenRegular(lock, O_RDWR | O_CREAT);
    if (fd < 0) return Outcome::Failed("cannot open " + lock, errno);
    if (!FileUtil::LockWithin(fd, UsbDevices::kLockWaitMs)) {
        close(fd);
        return Outcome::Failed("cannot lock " + lock, EWOULDBLOCK);
    }
    std::vector<UsbDevices::Line> lines;
    Outcome outcome = UsbDevices::Read(&lines);
    if (outcome.Done()) outcome = change(&lines);
    errno = 0;
    if (outcome.Done() && !FileUtil::WriteAtomically(UsbDevices::Path(), UsbDevices::Format(lines)))
        outcome = Outcome::Failed("cannot write " + UsbDevices::Path(), errno);
    // Closing the descriptor releases the lock.
    close(fd);
    return outcome;
}
}  // namespace

Outcome UsbDevices::Attach(const std::string& mountpath, const std::string& product) {
    if (!OneField(mountpath))
        return Outcome::Invalid("MOUNTPATH must be a non-empty text without tabs or line breaks");
    if (!OneField(product))
        return Outcome::Invalid("PRODUCT must be a non-empty text without tabs or line breaks");
    if (mountpath[0] != '/') return Outcome::Invalid("MOUNTPATH must be an absolute path");
    return Rewrite([&](std::vector<Line>* lines) {
        for (const Line& line : *lines)
            if (line.mountpath == mountpath)
                return Outcome::Refused(VisibleText::Escape(mountpath) + " is already attached");
        lines->push_back({mountpath, product});
        return Outcome();
    });
}

Outcome UsbDevices::Detach(const std::string& mountpath) {
    return Rewrite([&](std::vector<Line>* lines) {
        auto gone = std::remove_if(lines->begin(), lines->end(),
                                   [&](const Line& line) { return line.mountpath == mountpath; });
        if (gone == lines->end())
            return Outcome::Refused(VisibleText::Escape(mountpath) + " is not attached");
        lines->erase(gone, lines->end());
        return Outcome();
    });
}

bool UsbDevices::Attached(int type, std::vector<usb_device_s*>* devices) {
    devices->clear();
    if (type != USB_DEVICE_TYPE_STORAGE && type != USB_DEVICE_TYPE_ALL) return true;
    std::vector<Line> lines;
    if (!Services::Get<UsbStorage>().Attached(&lines)) return false;
    std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
    for (const Line& line : lines) devices->push_back(Intern(line));
    return true;
}

bool UsbDevices::Known(usb_device_s* device) {
    std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
    return g_known != nullptr && g_known->count(device) > 0;
}

usb_device_list_s* UsbDevices::NewList(int type) {
    std::vector<usb_device_s*> devices;
    if (!Attached(type, &devices)) return nullptr;
    usb_device_list_s* list = new usb_device_list_s{devices};
    std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
    if (g_lists == nullptr) g_lists = new std::set<usb_device_list_s*>();
    g_lists->insert(list);
    return list;
}

bool UsbDevices::ValidList(usb_device_list_s* list) {
    std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
    return g_lists != nullptr && g_lists->count(list) > 0;
}

bool UsbDevices::FreeList(usb_device_list_s* list) {
    std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
    if (g_lists == nullptr || g_lists->erase(list) == 0) return false;
    delete list;
    return true;
}

void UsbDevices::SetConnectedCallback(usb_connected_cb callback, void* user_data) {
    {
        std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
        g_callback = callback;
        g_callback_data = user_data;
    }
    if (callback == nullptr) return Services::Get<UsbStorage>().Watch(nullptr);
    Services::Get<UsbStorage>().Watch([](const char* action, const Line& line) {
        usb_connected_cb callback;
        void* data;
        usb_device_s* device;
        {
            std::lock_guard<std::mutex> lock(g_usbDevicesMutex);
            callback = g_callback;
            data = g_callback_data;
            device = Intern(line);
        }
        // Called unlocked: the callback may well ask the service again.
        if (callback != nullptr) callback(device, const_cast<char*>(action), data);
    });
}

}  // namespace brelta::host
