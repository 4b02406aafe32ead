// The USB device service of the host platform: the devices of UsbStorage, emulated or live.
#include <usb_device.h>

#include "base/Faults.h"
#include "usb/UsbDevices.h"

using brelta::host::Faults;
using brelta::host::UsbDevices;

namespace {
const char* Text(usb_device_h device, std::string usb_device_s::*field) {
    if (device == nullptr || !UsbDevices::Known(device)) return nullptr;
    return (device->*field).c_str();
}
}  // namespace

extern "C" {

int usb_device_init(void) {
    BRELTA_FAULT_HOOK(fault);
    return USB_ERROR_NONE;
}

int usb_device_fini(void) {
    BRELTA_FAULT_HOOK(fault);
    return USB_ERROR_NONE;
}

int usb_get_connected_device_number(int type) {
    // A scripted number is the count itself, 0 and negative errors included.
    int count = 0;
    if (Faults::Next(BRELTA_FAULT_NAME, &count)) return count;
    std::vector<usb_device_s*> devices;
    if (!UsbDevices::Attached(type, &devices)) return USB_ERROR_IO_ERROR;
    return static_cast<int>(devices.size());
}

int usb_device_get_device_list(int type, usb_device_list_h* list) {
    BRELTA_FAULT_HOOK(fault);
    if (list == nullptr) return USB_ERROR_INVALID_PARAMETER;
    usb_device_list_s* attached = UsbDevices::NewList(type);
    if (attached == nullptr) return USB_ERROR_IO_ERROR;
    *list = attached;
    return USB_ERROR_NONE;
}

int usb_device_list_get_first(usb_device_list_h list, usb_device_h* device) {
    BRELTA_FAULT_HOOK(fault);
    if (device == nullptr || !UsbDevices::ValidList(list)) return USB_ERROR_INVALID_PARAMETER;
    if (list->devices.empty()) return USB_ERROR_NO_DEVICE;
    *device = list->devices.front();
    return USB_ERROR_NONE;
}

int usb_device_free_device_list(usb_device_list_h list) {
    BRELTA_FAULT_HOOK(fault);
    return UsbDevices::FreeList(list) ? USB_ERROR_NONE : USB_ERROR_INVALID_PARAMETER;
}

char* usb_device_get_mountpath(usb_device_h device) {
    BRELTA_FAULT_HOOK(nullptr);
    return const_cast<char*>(Text(device, &usb_device_s::mountpath));
}

char* usb_device_get_product(usb_device_h device) {
    BRELTA_FAULT_HOOK(nullptr);
    return const_cast<char*>(Text(device, &usb_device_s::product));
}

int usb_set_connected_cb(usb_connected_cb callback, void* user_data) {
    BRELTA_FAULT_HOOK(fault);
    if (callback == nullptr) return USB_ERROR_INVALID_PARAMETER;
    UsbDevices::SetConnectedCallback(callback, user_data);
    return USB_ERROR_NONE;
}

int usb_unset_connected_cb(void) {
    BRELTA_FAULT_HOOK(fault);
    UsbDevices::SetConnectedCallback(nullptr, nullptr);
    return USB_ERROR_NONE;
}

}  // extern "C"
