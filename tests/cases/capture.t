# The capture commands: the keys they keep, the capture they start, the toasts they post.

case start
  run brelta.keycombination.tcpdumpstart
  records system CTCPDumpTask.cpp TCPDumpHandler.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [connection_create success]
    TCPDumpHandler.cpp: Start >
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump start successfully]
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  keys
    memory/Brelta/tcpdump_running_status: int 1
    memory/menu/network/screenmirroring/capture_tsdump: int 1
  $ cat network/tcpdump
    running
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}

# Already running: nothing is attempted and neither key is written.
case start-when-running
  set memory/Brelta/tcpdump_running_status int -3
  set memory/menu/network/screenmirroring/capture_tsdump int 7
  run brelta.keycombination.tcpdumpstart
  records system CTCPDumpTask.cpp TCPDumpHandler.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  keys
    memory/Brelta/tcpdump_running_status: int -3
    memory/menu/network/screenmirroring/capture_tsdump: int 7
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcpdump is already running","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}

# A refused start leaves the TS-dump key on until the next stop.
case start-fails
  fault connection_profile_start_tcpdump -38
  run brelta.keycombination.tcpdumpstart
  records system CTCPDumpTask.cpp TCPDumpHandler.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [connection_create success]
    TCPDumpHandler.cpp: Start > Failed to start tcpdump
    TCPDumpHandler.cpp: Start >
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  keys
    memory/menu/network/screenmirroring/capture_tsdump: int 1
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump failed to start ","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}
  fault connection_profile_start_tcpdump
  fault connection_create -1
  run brelta.keycombination.tcpdumpstart
  records system CTCPDumpTask.cpp TCPDumpHandler.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [Handle Creation Fail]
    TCPDumpHandler.cpp: Start >
    CTCPDumpTask.cpp: ~CTCPDumpTask >

# Settings calls that fail are logged and every step still runs.
case settings-fail
  fault vconf_get_int -1
  fault vconf_set_int -2 -3
  run brelta.keycombination.tcpdumpstart
  records system CTCPDumpTask.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstart
    CTCPDumpTask.cpp: StartTCPDump > StartTCPDump
    CTCPDumpTask.cpp: IsTcpdumpRunning > failed to get tcp dump status
    CTCPDumpTask.cpp: EnableVconfForTSDump > Enabled vconf for TS Dump
    CTCPDumpTask.cpp: EnableVconfForTSDump > Failed to enable vconf for TS dump
    CTCPDumpTask.cpp: SetTCPDumpRunningStatus > Failed to set tcp dump running status 1
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  keys
  $ cat network/tcpdump
    running
  run brelta.keycombination.tcpdumpstop
  records system CTCPDumpTask.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstop
    CTCPDumpTask.cpp: StopTCPDump > StopTCPDump
    CTCPDumpTask.cpp: DisableVconfForTSDump > Disabled vconf for TS Dump
    CTCPDumpTask.cpp: DisableVconfForTSDump > Failed to disable vconf for TS dump
    CTCPDumpTask.cpp: SetTCPDumpRunningStatus > Failed to set tcp dump running status 0
    CTCPDumpTask.cpp: ~CTCPDumpTask >

# A stop in a process of its own holds no handle: the keys are cleared, nothing is stopped or
# copied, and the stop is reported as a success.
case stop-in-its-own-process
  usb media/usb0 Stick
  write network/tcpdump running
  set memory/Brelta/tcpdump_running_status int 1
  set memory/menu/network/screenmirroring/capture_tsdump int 1
  run brelta.keycombination.tcpdumpstop
  records system CTCPDumpTask.cpp TCPDumpHandler.cpp CUSB.cpp CFileFunc.cpp
    CTCPDumpTask.cpp: CTCPDumpTask >
    CTCPDumpTask.cpp: Execute > execute =>brelta.keycombination.tcpdumpstop
    CTCPDumpTask.cpp: StopTCPDump > StopTCPDump
    CTCPDumpTask.cpp: DisableVconfForTSDump > Disabled vconf for TS Dump
    TCPDumpHandler.cpp: Stop >
    TCPDumpHandler.cpp: Stop >
    CTCPDumpTask.cpp: ~CTCPDumpTask >
  keys
    memory/Brelta/tcpdump_running_status: int 0
    memory/menu/network/screenmirroring/capture_tsdump: int 0
  $ cat network/tcpdump; ls media/usb0
    running
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump stop successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}

# A channel scan or a software update refuses the toast; the keys are written all the same.
# A flag that cannot be read never blocks.
case toast-refused
  set memory/channel-search/channel-search-activate bool 1
  run brelta.keycombination.tcpdumpstart
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump start successfully]
    PopupBlockerOptions.cpp: IsUIToastAllowed > During channel scan. Skip to launch Banner.
    UIToast.cpp: Show > [UIToast not allowed to show]
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  keys
    memory/Brelta/tcpdump_running_status: int 1
    memory/channel-search/channel-search-activate: bool 1
    memory/menu/network/screenmirroring/capture_tsdump: int 1
  journal
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}
  set memory/channel-search/channel-search-activate bool 0
  set memory/menu/support/softwareupdate/is_swu_in_monopoly_mode bool 1
  run brelta.keycombination.tcpdumpstop
  records main PopupBlockerOptions.cpp
    PopupBlockerOptions.cpp: IsUIToastAllowed > During SWU. Skip to launch Banner.
  fault vconf_get_bool -1 -1
  run brelta.keycombination.tcpdumpstop
  records main PopupBlockerOptions.cpp
  journal
    {"op":"post","id":1,"pid":$PID3,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump stop successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID3,"type":0,"ids":[1]}

# Pressing "OK" ends the toast; its callback is empty, so nothing else happens.
case press-ok
  start brelta.keycombination.tcpdumpstart
  press 1 0
  wait
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump start successfully]
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"event","id":1,"pid":$PID,"event":0}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}
  $ ls notifications/input

# The notification service fails: no handle, a refused button, a refused post.
case toast-fails
  fault notification_create -1 -1
  run brelta.keycombination.tcpdumpstart
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    NotiHandler.cpp: Handle > [Failed notification_create]
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump start successfully]
    NotiHandler.cpp: Handle > [Failed notification_create]
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  fault notification_create
  fault notification_add_button -4
  run brelta.keycombination.tcpdumpstop
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump stop successfully]
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  journal
    {"op":"post","id":1,"pid":$PID2,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump stop successfully","image":null,"buttons":[],"default_button":null,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[1]}
  fault notification_add_button
  fault notification_post_with_event_cb -5
  run brelta.keycombination.tcpdumpstop
  records main
    UIToast.cpp: UIToast > START
    UIToast.cpp: UIToast > END
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: Show > [UI Toast show call=>tcp dump and ts dump stop successfully]
    UIToast.cpp: Show >  Fail to show popup\x20
    UIToast.cpp: ~UIToast > START
    UIToast.cpp: Destroy > UI Toast Hide
    UIToast.cpp: ~UIToast > END
  journal
    {"op":"delete_all","pid":$PID3,"type":0,"ids":[]}

# The way that works after the key combination's stop, which holds no capture in its own run
# and copies nothing: the workbench's stop, then its export.
# Rules held: `capture stop` leaves the keys as the tool's stop does, so that the next start
# key starts (not "already running"); `capture export` copies as the tool's stop copies: to
# MOUNTPATH/tcpdump-[time].pcap, whatever stands there replaced (a link never followed), at
# most 1,048,576 bytes; it fails without a USB device or a capture file. Status and stop say
# where the file is.
case stop-and-export-from-the-workbench
  run brelta.keycombination.tcpdumpstart
  $ brelta-device capture export; brelta-device capture stop
    brelta-device: no USB storage device is attached
    stopped
    file: $ROOT/opt/usr/data/network/tcpdump-[time].pcap; each start overwrites it, and brelta-device capture export copies it to the first USB storage device
  keys
    memory/Brelta/tcpdump_running_status: int 0
    memory/menu/network/screenmirroring/capture_tsdump: int 0
  usb media/usb0 Stick
  $ echo precious > victim; ln -s ../../victim 'media/usb0/tcpdump-[time].pcap'; brelta-device capture export; cat victim; od -An -tx1 'media/usb0/tcpdump-[time].pcap' | head -n 1
    copied to $ROOT/media/usb0/tcpdump-[time].pcap
    precious
     d4 c3 b2 a1 02 00 04 00 00 00 00 00 00 00 00 00
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; head -c 1048576 /dev/zero > "$F"; brelta-device capture export; head -c 1048577 /dev/zero > "$F"; brelta-device capture export; rm "$F"; brelta-device capture status; brelta-device capture export
    copied to $ROOT/media/usb0/tcpdump-[time].pcap
    brelta-device: $ROOT/opt/usr/data/network/tcpdump-[time].pcap is larger than 1048576 bytes: the export copies no more, as the tool's stop does
    stopped
    file: $ROOT/opt/usr/data/network/tcpdump-[time].pcap (none yet); each start overwrites it, and brelta-device capture export copies it to the first USB storage device
    brelta-device: there is no capture file $ROOT/opt/usr/data/network/tcpdump-[time].pcap: start a capture first
    [1]
  run brelta.keycombination.tcpdumpstart
  journal
    {"op":"post","id":2,"pid":$PID2,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[2]}
