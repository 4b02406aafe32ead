// The USB device service of the host platform: the devices of UsbStorage, emulated or live.
#include <usb_device.h>

#include "Faults.h"
#include "UsbDevices.h"

using brelta::host::Faults;
using brelta::host::UsbDevices;

namespace {
// A scripted non-zero number makes a text query answer "no text".
const char* Text(const char* fn, usb_device_h device, std::string usb_device_s::*field) {
    int value = 0;
    if (Faults::Next(fn, &value) && value != 0) return nullptr;
    if (device == nullptr || !UsbDevices::Known(device)) return nullptr;
    return (device->*field).c_str();
}
}  // namespace

extern "C" {

int usb_device_init(void) {
    int status = 0;
    if (Faults::Fail("usb_device_init", &status)) return status;
    return USB_ERROR_NONE;
}

int usb_device_fini(void) {
    int status = 0;
    if (Faults::Fail("usb_device_fini", &status)) return status;
    return USB_ERROR_NONE;
}

int usb_get_connected_device_number(int type) {
    // A scripted number is the count itself, 0 and negative errors included.
    int count = 0;
    if (Faults::Next("usb_get_connected_device_number", &count)) return count;
    std::vector<usb_device_s*> devices;
    if (!UsbDevices::Attached(type, &devices)) return USB_ERROR_IO_ERROR;
    return static_cast<int>(devices.size());
}

int usb_device_get_device_list(int type, usb_device_list_h* list) {
    int status = 0;
    if (Faults::Fail("usb_device_get_device_list", &status)) return status;
    if (list == nullptr) return USB_ERROR_INVALID_PARAMETER;
    usb_device_list_s* attached = UsbDevices::NewList(type);
    if (attached == nullptr) return USB_ERROR_IO_ERROR;
    *list = attached;
    return USB_ERROR_NONE;
}

int usb_device_list_get_first(usb_device_list_h list, usb_device_h* device) {
    int status = 0;
    if (Faults::Fail("usb_device_list_get_first", &status)) return status;
    if (device == nullptr || !UsbDevices::ValidList(list)) return USB_ERROR_INVALID_PARAMETER;
    if (list->devices.empty()) return USB_ERROR_NO_DEVICE;
    *device = list->devices.front();
    return USB_ERROR_NONE;
}

int usb_device_free_device_list(usb_device_list_h list) {
    int status = 0;
    if (Faults::Fail("usb_device_free_device_list", &status)) return status;
    return UsbDevices::FreeList(list) ? USB_ERROR_NONE : USB_ERROR_INVALID_PARAMETER;
}

char* usb_device_get_mountpath(usb_device_h device) {
    return const_cast<char*>(Text("usb_device_get_mountpath", device, &usb_device_s::mountpath));
}

char* usb_device_get_product(usb_device_h device) {
    return const_cast<char*>(Text("usb_device_get_product", device, &usb_device_s::product));
}

int usb_set_connected_cb(usb_connected_cb callback, void* user_data) {
    int status = 0;
    if (Faults::Fail("usb_set_connected_cb", &status)) return status;
    if (callback == nullptr) return USB_ERROR_INVALID_PARAMETER;
    UsbDevices::SetConnectedCallback(callback, user_data);
    return USB_ERROR_NONE;
}

int usb_unset_connected_cb(void) {
    int status = 0;
    if (Faults::Fail("usb_unset_connected_cb", &status)) return status;
    UsbDevices::SetConnectedCallback(nullptr, nullptr);
    return USB_ERROR_NONE;
}

}  // extern "C"
