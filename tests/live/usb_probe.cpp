// brelta-usb-probe [--watch N]: the USB storage that the tool's own CUSB sees through the
// platform, for the cases of the live USB service (no task of the tool asks for the product
// name or registers for plugged devices).
//
// Prints "count N", then "mount PATH" and "product NAME" of the first device. With --watch,
// registers for plugged devices, prints "watching" and then "<action> <mount path>
// <product>" for each of N events; gives up after a minute (status 1).
#include <usb_device.h>

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CUSB.h"

namespace {
constexpr int kGiveUpSeconds = 60;

struct Watch {
    GMainLoop* loop;
    int left;
};

const char* Text(const char* text) {
    return text != nullptr ? text : "(none)";
}

void OnDevice(usb_device_s* device, char* action, void* data) {
    auto* watch = static_cast<Watch*>(data);
    std::printf("%s %s %s\n", Text(action), Text(usb_device_get_mountpath(device)),
                Text(usb_device_get_product(device)));
    std::fflush(stdout);
    if (--watch->left == 0) g_main_loop_quit(watch->loop);
}

gboolean GiveUp(gpointer) {
    std::printf("timed out\n");
    std::exit(1);
}
}  // namespace

int main(int argc, char** argv) {
    CUSB usb;
    std::printf("count %d\n", usb.getNoOfConnectedUSBDevice());
    std::printf("mount %s\n", usb.getUSBMountPath().c_str());
    std::string product = "(none)";
    usb.getUSBDeviceName(product);
    std::printf("product %s\n", product.c_str());
    if (argc < 3 || std::strcmp(argv[1], "--watch") != 0) return 0;

    Watch watch = {g_main_loop_new(nullptr, FALSE), std::atoi(argv[2])};
    usb.setUSBConnectedCB(OnDevice, &watch);
    std::printf("watching\n");
    std::fflush(stdout);
    g_timeout_add_seconds(kGiveUpSeconds, GiveUp, nullptr);
    g_main_loop_run(watch.loop);
    usb.unsetUSBConnectedCB();
    return 0;
}
