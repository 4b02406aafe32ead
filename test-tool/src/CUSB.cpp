#include "CUSB.h"

#include "BreltaLog.h"

namespace {
// The service's device type for storage devices: the only kind the export can write to.
constexpr int kStorageDeviceType = 8;

// The service may hand out no text at all; to the callers that is the same as an empty one.
std::string TextOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}
}  // namespace

CUSB::CUSB() : m_DeviceHandle(nullptr) {}

CUSB::~CUSB() {}

int CUSB::getNoOfConnectedUSBDevice() {
    BRELTA_LOGI("");
    int count = usb_get_connected_device_number(kStorageDeviceType);
    BRELTA_LOGI("No Of USB Devices Found = %d", count);
    return count;
}

std::string CUSB::getUSBMountPath() {
    BRELTA_LOGI("");
    std::string mountPath;
    if (getNoOfConnectedUSBDevice() <= 0) return mountPath;

    usb_device_list_h list = nullptr;
    if (usb_device_get_device_list(kStorageDeviceType, &list) != 0) {
        BRELTA_LOGI("Error While Getting USB Device List");
        return mountPath;
    }
    if (usb_device_list_get_first(list, &m_DeviceHandle) == 0) {
        mountPath = TextOf(usb_device_get_mountpath(m_DeviceHandle));
        BRELTA_LOGI("USB Mount Path = %s", mountPath.c_str());
    }
    usb_device_free_device_list(list);
    return mountPath;
}

void CUSB::getUSBDeviceName(std::string& name) {
    BRELTA_LOGI("");
    if (!getUSBMountPath().empty() && m_DeviceHandle != nullptr) {
        name = TextOf(usb_device_get_product(m_DeviceHandle));
    }
    BRELTA_LOGI("");
}

void CUSB::setUSBConnectedCB(void (*callback)(usb_device_s*, char*, void*), void* userData) {
    BRELTA_LOGI("");
    // Unregister first so that a repeated call replaces the earlier callback.
    usb_unset_connected_cb();
    UsbDeviceInit();
    usb_set_connected_cb(callback, userData);
    BRELTA_LOGI("");
}

void CUSB::unsetUSBConnectedCB() {
    BRELTA_LOGI("");
    usb_unset_connected_cb();
    usb_device_fini();
    BRELTA_LOGI("");
}

void CUSB::UsbDeviceInit() {
    BRELTA_LOGI("");
    usb_device_init();
    BRELTA_LOGI("");
}
