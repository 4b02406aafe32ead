// USB storage access on the host's USB device service: the mount path that the export uses
// (which only a stop in the starting process reaches), and the product name and connection
// callbacks that no task asks for.
#include <gtest/gtest.h>

#include <string>

#include "CUSB.h"
#include "base/Faults.h"
#include "HostFixture.h"

using brelta::host::Faults;
using brelta::test::HostFixture;

namespace {

using CUSBTest = HostFixture;

TEST_F(CUSBTest, TheFirstStorageDeviceOrNothing) {
    const std::string two = "\n/media/USB Drive A\tSan Stick 3.0\r\n/media/usbB\tB\n";
    struct Row {
        const char* name;
        std::string devices;
        const char* function;  // scripted for every call, or null
        const char* script;
        int count;
        const char* path;
        const char* product;  // "unchanged" when the name is left as it was
        size_t listErrors;    // each path lookup that asks for the list reports its failure
    } rows[] = {
        // Blanks belong to the path; the CR of a file edited elsewhere does not.
        {"two devices", two, nullptr, "", 2, "/media/USB Drive A", "San Stick 3.0", 0},
        // A list failure would show if the list were asked for.
        {"none", "\n\r\n", "usb_device_get_device_list", "-5", 0, "", "unchanged", 0},
        {"count fails", two, "usb_get_connected_device_number", "-19 -19 -19", -19, "", "unchanged",
         0},
        {"list fails", two, "usb_device_get_device_list", "-5 -5", 2, "", "unchanged", 2},
        // A lookup that finds no device never reads the one an earlier lookup found.
        {"no first the second time", two, "usb_device_list_get_first", "0 -19", 2,
         "/media/USB Drive A", "unchanged", 0},
        {"no mount path", two, "usb_device_get_mountpath", "1 1", 2, "", "unchanged", 0},
        {"no product", two, "usb_device_get_product", "1", 2, "/media/USB Drive A", "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        root->Write("usb/devices", row.devices);
        if (row.function != nullptr) root->Fault(row.function, row.script);
        CUSB usb;
        std::string product = "unchanged";
        EXPECT_EQ(usb.getNoOfConnectedUSBDevice(), row.count);
        EXPECT_EQ(usb.getUSBMountPath(), row.path);
        usb.getUSBDeviceName(product);
        EXPECT_EQ(product, row.product);
        EXPECT_EQ(SystemLog().Count("Error While Getting USB Device List"), row.listErrors);
    }
}

// Registering again first unregisters; unregistering also ends the use of the service.
TEST_F(CUSBTest, ConnectionCallbacksRegisterOnceAndUnregisterWholly) {
    // Each function's script is used up by the calls expected of it; then 9 is left.
    const std::pair<const char*, const char*> calls[] = {{"usb_unset_connected_cb", "0 0 0 9"},
                                                         {"usb_device_init", "0 0 9"},
                                                         {"usb_set_connected_cb", "0 0 9"},
                                                         {"usb_device_fini", "0 9"}};
    for (const auto& call : calls) root->Fault(call.first, call.second);
    CUSB usb;
    usb.setUSBConnectedCB([](usb_device_s*, char*, void*) {}, nullptr);
    usb.setUSBConnectedCB([](usb_device_s*, char*, void*) {}, nullptr);
    usb.unsetUSBConnectedCB();
    for (const auto& call : calls) {
        int next = 0;
        EXPECT_TRUE(Faults::Next(call.first, &next) && next == 9) << call.first;
    }
}

}  // namespace
