# Settings files that are not settings, and device roots that cannot be made: every run goes
# on to its end with 0, reads such a key as missing and leaves it unharmed or rewrites it
# whole with a value of the key's own type.

case garbage-and-wrong-types
  $ for k in db/menu_widget/language memory/channel-search/channel-search-activate memory/Brelta/tcpdump_running_status db/network/LaunchNWWireless; do mkdir -p settings/${k%/*}; printf '\0\377\376\1 garbage\33[0m' > settings/$k; done
  set db/menu_widget/regionformat int 1
  set memory/menu/support/softwareupdate/is_swu_in_monopoly_mode string 1
  set memory/menu/network/screenmirroring/capture_tsdump int 11111111111111111111111111
  set db/menu/network/eu_wifi_reg_test_mode bool 2
  run brelta.keycombination.tcpdumpstart
  records system i18n.c CTCPDumpTask.cpp
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: update_region > failed to get current region format for set region env
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  run brelta.keycombination.WiFiList
  run brelta.keycombination.rse
  keys
    db/menu/network/eu_wifi_reg_test_mode: bool 1
    db/menu_widget/language: ^@\xff\xfe^A garbage^[[0m
    db/menu_widget/regionformat: int 1
    db/network/LaunchNWWireless: int 1
    memory/Brelta/tcpdump_running_status: int 1
    memory/channel-search/channel-search-activate: ^@\xff\xfe^A garbage^[[0m
    memory/menu/network/screenmirroring/capture_tsdump: int 1
    memory/menu/support/softwareupdate/is_swu_in_monopoly_mode: string 1

case directories-links-and-huge-files
  $ mkdir -p settings/db/menu_widget/language settings/memory/Brelta/tcpdump_running_status/x
  $ mkdir -p settings/db/network && ln -s LaunchNWWireless settings/db/network/LaunchNWWireless
  $ mkdir -p settings/db/menu && echo 'int 1' > settings/db/menu/network
  $ mkdir -p settings/memory/channel-search && head -c 2000000 /dev/zero | tr '\0' 1 | sed 's/^/bool /' > settings/memory/channel-search/channel-search-activate
  run brelta.keycombination.tcpdumpstart
  records system i18n.c CTCPDumpTask.cpp
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: update_region > failed to get current region format for set region env
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    CTCPDumpTask.cpp: SetTCPDumpRunningStatus > Failed to set tcp dump running status 1
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  records main PopupBlockerOptions.cpp
  run brelta.keycombination.WiFiList
  run brelta.keycombination.rse
  records system CEURegulationRSE.cpp
    CEURegulationRSE.cpp: CEURegulationRSE >
    CEURegulationRSE.cpp: Execute >
    CEURegulationRSE.cpp: Execute > change rse vconf value(ret is -1)
    CEURegulationRSE.cpp: ~CEURegulationRSE >
  $ find settings -type f -size -2k | sort; find settings -type l
    settings/db/menu/network
    settings/db/network/LaunchNWWireless
    settings/memory/menu/network/screenmirroring/capture_tsdump

# A root that is a device, one that no directory can be made in, a name too long for any
# file system: nothing is written, the run still ends as usual.
case roots-that-cannot-be-made
  env BRELTA_DEVICE_ROOT=/dev/null
  run brelta.keycombination.tcpdumpstart
    brelta: capture: /dev/null/network/tcpdump: Not a directory
  env BRELTA_DEVICE_ROOT=/proc/brelta-device
  run brelta.keycombination.tcpdumpstart
    brelta: capture: /proc/brelta-device/network/tcpdump: No such file or directory
  env BRELTA_DEVICE_ROOT=$ROOT/rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr/device
  run brelta.keycombination.tcpdumpstart
    brelta: capture: $ROOT/rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr/device/network/tcpdump: File name too long
  $ ls /proc/brelta-device; ls
    ls: cannot access '/proc/brelta-device': No such file or directory
