#ifndef BRELTA_HOST_UDEVSTORAGE_H
#define BRELTA_HOST_UDEVSTORAGE_H

#include <glib.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "usb/UsbStorage.h"
#include "LiveNeed.h"

namespace brelta::host {

// The live USB storage: block devices (disks or partitions) below a USB device, as udev
// knows them, that have a file system mounted (/proc/self/mountinfo): its mount point is the
// mount path, the USB device's "product" the product name. Listed in the order udev
// initialised them, then by device number (the kernel's probe order), which puts the device
// plugged in first at the head. A device plugged in is reported once its file system is
// mounted (a desktop mounts it a moment after udev announces it), and unplugged with the
// mount path it was reported with.
//
// udev is reached through GUdev, which the process loads at the first use of the service:
// a tool that never asks for USB storage (most runs) does not pay for the library.
class UdevStorage : public UsbStorage {
public:
    UdevStorage();
    bool Attached(std::vector<Device>* devices) override;
    void Watch(Event event) override;

    // Whether GUdev can be loaded; *reason says why not.
    static bool Loadable(std::string* reason);
    // What the live storage needs: GUdev, and udev running for devices plugged in later.
    static LiveNeed Need();
    // The mount point of the device major:minor in a text of /proc/self/mountinfo (the first
    // mount of its whole file system, octal escapes such as \040 undone); empty when none.
    static std::string MountPoint(const std::string& mountinfo, unsigned major, unsigned minor);

private:
    struct Library;
    struct Found {
        Device device;
        unsigned long long initialised = 0;
        unsigned long long number = 0;
    };
    // Whether a udev device is a USB storage device with a mounted file system; *found is
    // filled in when it is.
    static bool Describe(const Library& library, void* device, const std::string& mountinfo,
                         Found* found);
    static void OnUevent(void* client, const char* action, void* device, gpointer self);
    static gboolean OnMountsChanged(gint fd, GIOCondition condition, gpointer self);
    // A device that udev announced: reported when it is mounted, else kept until it is.
    void Plugged(const std::string& path, void* device);
    void Unplugged(const std::string& path);
    // Reports the waiting devices that are mounted now; false when none is left waiting.
    bool ReportMounted();
    void Emit(const char* action, const Device& device);

    std::mutex m_Mutex;
    void* m_Client = nullptr;  // the watching GUdevClient
    Event m_Event;
    int m_Mounts = -1;  // /proc/self/mountinfo, polled for mount changes while devices wait
    unsigned m_MountsSource = 0;
    std::map<std::string, void*> m_Pending;    // sysfs path -> plugged, not mounted yet
    std::map<std::string, Device> m_Reported;  // sysfs path -> reported as plugged
};

}  // namespace brelta::host

#endif
