#ifndef CUSB_H
#define CUSB_H

#include <usb_device.h>

#include <string>

// The attached USB storage devices, through the platform's USB device service. The capture
// export only needs the count and the mount path of the first device.
class CUSB {
public:
    CUSB();
    virtual ~CUSB();

    int getNoOfConnectedUSBDevice();
    // Mount path of the first storage device, or "" when there is none or it cannot be read.
    std::string getUSBMountPath();
    // Product name of the first storage device; `name` is left alone when there is none.
    void getUSBDeviceName(std::string& name);
    void setUSBConnectedCB(void (*callback)(usb_device_s*, char*, void*), void* userData);
    void unsetUSBConnectedCB();
    void UsbDeviceInit();

private:
    // First device of the last list read; the service owns it, so it is never released here.
    usb_device_h m_DeviceHandle;
};

#endif
