#include "UsbStorage.h"

#include "LiveServices.h"
#include "UdevStorage.h"
#include "UsbDevices.h"

namespace brelta::host {

namespace {
// The devices file is read afresh at every query; nothing plugs a device in but a person
// editing it, so there is nothing to watch.
class ListedStorage : public UsbStorage {
public:
    bool Attached(std::vector<Device>* devices) override {
        // A missing or unreadable file lists no device.
        if (!UsbDevices::Read(devices).Done()) devices->clear();
        return true;
    }
    void Watch(Event) override {}
};
}  // namespace

UsbStorage& UsbStorage::Current() {
    return LiveServices::Pick<UsbStorage, ListedStorage, UdevStorage>(LiveServices::Service::Usb);
}

}  // namespace brelta::host
