#include "usb/UsbStorage.h"

#include "usb/UsbDevices.h"

namespace brelta::host {

bool EmulatedUsbStorage::Attached(std::vector<Device>* devices) {
    // A missing or unreadable file lists no device.
    if (!UsbDevices::Read(devices).Done()) devices->clear();
    return true;
}

}  // namespace brelta::host
