// USB storage access: CUSB on the host's USB device service ($ROOT/usb/devices).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CUSB.h"
#include "HostFixture.h"
#include "UsbDevices.h"

using brelta::host::UsbDevices;
using brelta::test::HostFixture;

namespace {

using Texts = std::vector<std::string>;

class CUSBTest : public HostFixture {
protected:
    void Attach(const std::string& lines) { root->Write("usb/devices", lines); }
    // Scripts one function afresh; the scripts of earlier calls are emptied, since reloading
    // would otherwise replay them from the start.
    void Script(const std::string& function, const std::string& values) {
        for (const std::string& earlier : scripted) root->Fault(earlier, "");
        root->Fault(function, values);
        scripted.push_back(function);
        ReloadFaults();
    }
    CUSB usb;
    std::vector<std::string> scripted;
};

TEST_F(CUSBTest, NoDeviceGivesAnEmptyPathWithoutAskingForTheList) {
    // A scripted list failure would show up as its message if the list were asked for.
    Script("usb_device_get_device_list", "-5");
    for (const char* content : {"", "\n\r\n"}) {
        Attach(content);
        EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), 0);
        EXPECT_EQ(usb.getUSBMountPath(), "");
    }
    std::string name = "unchanged";
    usb.getUSBDeviceName(name);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(SystemLog().Count("Error While Getting USB Device List"), 0u);

    Attach("/media/usb0\tStick\n");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(SystemLog().Count("Error While Getting USB Device List"), 1u);
}

TEST_F(CUSBTest, TheFirstOfSeveralDevicesIsUsed) {
    // Blanks belong to the path; a CR of a file edited elsewhere does not.
    Attach("\n/media/USB Drive A\tSan Stick 3.0\r\n/media/usbB\n");
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), 2);
    EXPECT_EQ(usb.getUSBMountPath(), "/media/USB Drive A");
    std::string name;
    usb.getUSBDeviceName(name);
    EXPECT_EQ(name, "San Stick 3.0");
    EXPECT_EQ(SystemTexts(),
              (Texts{"", "No Of USB Devices Found = 2",
                     // getUSBMountPath: its own trace, then the count again
                     "", "", "No Of USB Devices Found = 2", "USB Mount Path = /media/USB Drive A",
                     // getUSBDeviceName wraps one more mount-path lookup
                     "", "", "", "No Of USB Devices Found = 2",
                     "USB Mount Path = /media/USB Drive A", ""}));
    EXPECT_EQ(SystemLog().ByFunction("getUSBDeviceName").size(), 2u);

    // The device read last stays usable after its list is gone and it was unplugged.
    Attach("");
    usb_device_list_h list = nullptr;
    ASSERT_EQ(usb_device_get_device_list(USB_DEVICE_TYPE_STORAGE, &list), 0);
    usb_device_h none = nullptr;
    EXPECT_EQ(usb_device_list_get_first(list, &none), USB_ERROR_NO_DEVICE);
    ASSERT_EQ(usb_device_free_device_list(list), 0);
    EXPECT_NE(usb_device_free_device_list(list), 0) << "a released list is refused";
    Attach("/media/usb0\tStick\n");
    ASSERT_EQ(usb_device_get_device_list(USB_DEVICE_TYPE_STORAGE, &list), 0);
    usb_device_h device = nullptr;
    ASSERT_EQ(usb_device_list_get_first(list, &device), 0);
    ASSERT_EQ(usb_device_free_device_list(list), 0);
    Attach("");
    EXPECT_STREQ(usb_device_get_mountpath(device), "/media/usb0");
    EXPECT_STREQ(usb_device_get_product(device), "Stick");
}

TEST_F(CUSBTest, FailuresEndInAnEmptyPathOrAnUnchangedName) {
    Attach("/media/usb0\tStick\n");

    // The count is passed on as the service reports it, negative errors included.
    Script("usb_get_connected_device_number", "-19 0 3");
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), -19);
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), 3);
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), 1);

    Script("usb_device_get_device_list", "-5");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(SystemLog().Count("Error While Getting USB Device List"), 1u);

    Script("usb_device_list_get_first", "-19");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(SystemLog().Count("Error While Getting USB Device List"), 1u);
    EXPECT_EQ(SystemLog().Count("USB Mount Path = /media/usb0"), 0u);

    // No text from the service reads as an empty one.
    Script("usb_device_get_mountpath", "1 1");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    std::string name = "unchanged";
    usb.getUSBDeviceName(name);
    EXPECT_EQ(name, "unchanged");
    Script("usb_device_get_product", "1");
    usb.getUSBDeviceName(name);
    EXPECT_EQ(name, "");
    usb.getUSBDeviceName(name);
    EXPECT_EQ(name, "Stick");
}

void OnAttached(usb_device_s*, char*, void*) {}
void OnAttachedToo(usb_device_s*, char*, void*) {}

TEST_F(CUSBTest, ACallbackRegistrationReplacesTheEarlierOne) {
    int first = 0, second = 0;
    usb.setUSBConnectedCB(OnAttached, &first);
    usb.setUSBConnectedCB(OnAttachedToo, &second);
    void* data = nullptr;
    EXPECT_EQ(UsbDevices::ConnectedCallback(&data), &OnAttachedToo);
    EXPECT_EQ(data, &second);
    usb.unsetUSBConnectedCB();
    EXPECT_EQ(UsbDevices::ConnectedCallback(&data), nullptr);
}

}  // namespace
