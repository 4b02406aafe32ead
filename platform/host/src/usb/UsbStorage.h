#ifndef BRELTA_HOST_USBSTORAGE_H
#define BRELTA_HOST_USBSTORAGE_H

#include <functional>
#include <string>
#include <vector>

#include "Services.h"

namespace brelta::host {

// Where the USB device service finds the attached storage devices: the device root's list
// (emulated) or udev and the mount table (UdevStorage, live).
class UsbStorage {
public:
    struct Device {
        std::string mountpath;
        std::string product;
    };
    // A device plugged in ("add") or out ("remove"), reported on the main context of the
    // thread that started the watch.
    using Event = std::function<void(const char* action, const Device& device)>;

    virtual ~UsbStorage() = default;
    // The attached storage devices in list order; false when the service cannot tell.
    virtual bool Attached(std::vector<Device>* devices) = 0;
    // Reports plugged devices to `event` from now on; an empty one stops the reports.
    virtual void Watch(Event event) = 0;

    static constexpr Service kService = Service::Usb;
};

// The emulated storage: the device root's list, read afresh at every query. Nothing plugs a
// device in but a person editing it, so there is nothing to watch.
class EmulatedUsbStorage : public UsbStorage {
public:
    bool Attached(std::vector<Device>* devices) override;
    void Watch(Event) override {}
};

}  // namespace brelta::host

#endif
