#ifndef BRELTA_HOST_USBDEVICES_H
#define BRELTA_HOST_USBDEVICES_H

#include <usb_device.h>

#include <string>
#include <vector>

#include "base/Outcome.h"
#include "usb/UsbStorage.h"

// One attached storage device as the service hands it out. Its texts stay put for the whole
// process: callers keep a device (and read its texts) after releasing the list it came from.
struct usb_device_s {
    std::string mountpath;
    std::string product;
};

// A snapshot of the attached devices, owned by the caller until usb_device_free_device_list.
struct usb_device_list_s {
    std::vector<usb_device_s*> devices;
};

namespace brelta::host {

// The USB device service: the devices of UsbStorage (emulated or live) as the platform hands
// them out. The emulated storage is $ROOT/usb/devices, which lists the attached storage
// devices, one per line, "<mount path><TAB><product name>", in list order; a missing or
// empty file means none. The file is read afresh at every query, so a test or a person can
// plug and unplug devices between calls.
class UsbDevices {
public:
    using Line = UsbStorage::Device;
    // Splits the content of the devices file. Empty lines are skipped; a line without a TAB
    // is a device without a product name; a trailing CR is dropped (files edited elsewhere).
    static std::vector<Line> Parse(const std::string& content);
    // The devices file's content for these devices (what Parse reads back).
    static std::string Format(const std::vector<Line>& lines);
    // $ROOT/usb/devices.
    static std::string Path();

    // What a person changes: the workbench and the screen alike. A device attached without a
    // product name gets this one.
    static constexpr const char* kDefaultProduct = "USB Storage";
    // The devices attached now, in list order.
    static Outcome Read(std::vector<Line>* lines);
    // Adds a device at the end of the list, or removes one. The mount path is absolute (the
    // tool uses it as it stands, from any directory); neither it nor the product holds a tab
    // or a line break, which would split the line. Each change reads and rewrites the file
    // under a lock ($ROOT/usb/devices.lock), so two at once never lose one.
    static Outcome Attach(const std::string& mountpath, const std::string& product);
    static Outcome Detach(const std::string& mountpath);
    // The longest a change waits for the others: each holds the lock for one read and one
    // write, but twenty at once on a loaded machine take seconds; a longer wait means a
    // holder that stopped (or a script that took the lock), and the change fails.
    static constexpr int kLockWaitMs = 10000;

    // The devices of `type` attached now (storage and "all" see the storage; other types see
    // none); false when the storage cannot tell. Each device is interned: the same mount path
    // and product yield the same device, never freed.
    static bool Attached(int type, std::vector<usb_device_s*>* devices);
    // True for a device that the service handed out (and so still owns).
    static bool Known(usb_device_s* device);

    // Null when the storage cannot tell.
    static usb_device_list_s* NewList(int type);
    static bool ValidList(usb_device_list_s* list);
    static bool FreeList(usb_device_list_s* list);

    // The attached-device callback: stored, so a later registration replaces it and
    // unregistering forgets it. It is called with the storage's events (the emulated storage
    // has none), with the action "add" or "remove".
    static void SetConnectedCallback(usb_connected_cb callback, void* user_data);
};

}  // namespace brelta::host

#endif
