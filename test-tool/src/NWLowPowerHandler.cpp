#include "NWLowPowerHandler.h"

#include <fcntl.h>
#include <ostra_network.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "BreltaLog.h"
#include "DevicePath.h"

namespace {
// The Ethernet power-control driver's "low power" request: read-write, type 'O', number
// 0x24, with an int argument.
const unsigned long kEthernetLowPower = _IOWR('O', 0x24, int);
static_assert(_IOWR('O', 0x24, int) == 0xC0044F24, "request number of the Ethernet driver");
}  // namespace

NWLowPowerHandler::NWLowPowerHandler(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

NWLowPowerHandler::~NWLowPowerHandler() {
    BRELTA_LOGI("");
}

void NWLowPowerHandler::Execute(std::string, std::string) {
    BRELTA_LOGI("");
    _SetWifiModuleLow();
    _SetEthernetModuleLow();
}

void NWLowPowerHandler::_SetWifiModuleLow() {
    int ret = wifi_set_module_low();
    if (ret != 0)
        BRELTA_LOGI("Fail to set wifi_set_module_low %d", ret);
    else
        BRELTA_LOGI("Success to set wifi_set_module_low %d", ret);
}

void NWLowPowerHandler::_SetEthernetModuleLow() {
    BRELTA_LOGI("entry");
    const char* device = DEVICE_PATH("/dev/ocm");
    int fd = open(device, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        BRELTA_LOGI("failed to open %s %d", device, fd);
        return;
    }
    int ret = ioctl(fd, kEthernetLowPower, 0);
    if (ret < 0) BRELTA_LOGI("failed to set ioctl  %d", ret);
    close(fd);
    BRELTA_LOGI("exit");
}
