# Module low power: the Wi-Fi call, then the Ethernet device's control request.

# On the host the device is missing unless a test makes one.
case no-device
  run brelta.keycombination.wifilow
  records system NWLowPowerHandler.cpp
    NWLowPowerHandler.cpp: NWLowPowerHandler >
    NWLowPowerHandler.cpp: Execute >
    NWLowPowerHandler.cpp: _SetWifiModuleLow > Success to set wifi_set_module_low 0
    NWLowPowerHandler.cpp: _SetEthernetModuleLow > entry
    NWLowPowerHandler.cpp: _SetEthernetModuleLow > failed to open $ROOT/dev/ocm -1
    NWLowPowerHandler.cpp: ~NWLowPowerHandler >
  $ cat network/wifi_module
    low

# An ordinary file as the device refuses the request; a failed Wi-Fi call stops nothing.
case both-fail
  write dev/ocm x
  fault wifi_set_module_low -14
  run brelta.keycombination.wifilow
  records system NWLowPowerHandler.cpp
    NWLowPowerHandler.cpp: NWLowPowerHandler >
    NWLowPowerHandler.cpp: Execute >
    NWLowPowerHandler.cpp: _SetWifiModuleLow > Fail to set wifi_set_module_low -14
    NWLowPowerHandler.cpp: _SetEthernetModuleLow > entry
    NWLowPowerHandler.cpp: _SetEthernetModuleLow > failed to set ioctl  -1
    NWLowPowerHandler.cpp: _SetEthernetModuleLow > exit
    NWLowPowerHandler.cpp: ~NWLowPowerHandler >
  $ ls network
    ls: cannot access 'network': No such file or directory
    [2]
