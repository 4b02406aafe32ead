// USB storage access: CUSB on the host's USB device service ($ROOT/usb/devices).
#include <gtest/gtest.h>

#include <string>

#include "CUSB.h"
#include "HostFixture.h"

using brelta::test::HostFixture;

namespace {

const char kListError[] = "Error While Getting USB Device List";

class CUSBTest : public HostFixture {
protected:
    void Attach(const std::string& lines) { root->Write("usb/devices", lines); }
    // Scripts one function afresh; earlier scripts are emptied, since reloading would
    // otherwise replay them from the start.
    void Script(const std::string& function, const std::string& values) {
        for (const std::string& earlier : scripted) root->Fault(earlier, "");
        root->Fault(function, values);
        scripted.push_back(function);
        ReloadFaults();
    }
    std::string Name() {
        std::string name = "unchanged";
        usb.getUSBDeviceName(name);
        return name;
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
    EXPECT_EQ(Name(), "unchanged");
    EXPECT_EQ(SystemLog().Count(kListError), 0u);
}

TEST_F(CUSBTest, TheFirstOfSeveralDevicesIsUsed) {
    // Blanks belong to the path; a CR of a file edited elsewhere does not.
    Attach("\n/media/USB Drive A\tSan Stick 3.0\r\n/media/usbB\n");
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), 2);
    EXPECT_EQ(usb.getUSBMountPath(), "/media/USB Drive A");
    EXPECT_EQ(Name(), "San Stick 3.0");
}

TEST_F(CUSBTest, FailuresEndInAnEmptyPathOrAnUnchangedName) {
    Attach("/media/usb0\tStick\n");
    // The count is passed on as the service reports it, negative errors included.
    Script("usb_get_connected_device_number", "-19 0");
    EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), -19);
    EXPECT_EQ(usb.getUSBMountPath(), "");

    Script("usb_device_get_device_list", "-5");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(SystemLog().Count(kListError), 1u);

    Script("usb_device_list_get_first", "-19");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(SystemLog().Count("USB Mount Path = /media/usb0"), 0u);

    // No text from the service reads as an empty one.
    Script("usb_device_get_mountpath", "1 1");
    EXPECT_EQ(usb.getUSBMountPath(), "");
    EXPECT_EQ(Name(), "unchanged");
    Script("usb_device_get_product", "1");
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(Name(), "Stick");
}

}  // namespace
