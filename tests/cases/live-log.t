# The live system log: records go to a systemd journal of the case's own, and brelta-device
# log reads them back as the file log shows them.

case journal
  namespace mount
  journald
  env BRELTA_LIVE=log
  background brelta-device log -f -t BRELTA_LOG > followed
  start brelta.keycombination.tcpdumpstop
  env BRELTA_LIVE=
  start brelta.keycombination.tcpdumpstop
  wait
  $ journalctl --sync && journalctl -t BRELTA_TEST_TOOL -t BRELTA_LOG -o json | /usr/bin/python3 -c 'import json, sys
    > for e in map(json.loads, sys.stdin): print(e["PRIORITY"], e["SYSLOG_IDENTIFIER"], e["CODE_FILE"], e["CODE_LINE"], e["CODE_FUNC"], e["_PID"], "|", e["MESSAGE"])'
    6 BRELTA_TEST_TOOL brelta_test_tool.cpp 24 main $PID | brelta_test_tool.cpp: main(24) > start work !! => arg brelta.keycombination.tcpdumpstop
    6 BRELTA_TEST_TOOL i18n.c 83 i18n_init $PID | i18n.c: i18n_init(83) > Enter i18n_init
    6 BRELTA_TEST_TOOL i18n.c 28 update_lang $PID | i18n.c: update_lang(28) > failed to get current language for set lang env
    6 BRELTA_TEST_TOOL i18n.c 45 update_region $PID | i18n.c: update_region(45) > failed to get current region format for set region env
    6 BRELTA_TEST_TOOL brelta_test_tool.cpp 15 own_name $PID | brelta_test_tool.cpp: own_name(15) > own bus brelta.keycombination.tcpdumpstop
    6 BRELTA_TEST_TOOL CTCPDumpTask.cpp 36 CTCPDumpTask $PID | CTCPDumpTask.cpp: CTCPDumpTask(36) >\x20
    6 BRELTA_TEST_TOOL CTaskManager.cpp 45 LockExit $PID | CTaskManager.cpp: LockExit(45) > lOCK ++ 1
    6 BRELTA_TEST_TOOL CTCPDumpTask.cpp 45 Execute $PID | CTCPDumpTask.cpp: Execute(45) > execute =>brelta.keycombination.tcpdumpstop
    6 BRELTA_TEST_TOOL CTCPDumpTask.cpp 71 StopTCPDump $PID | CTCPDumpTask.cpp: StopTCPDump(71) > StopTCPDump
    6 BRELTA_LOG UIToast.cpp 24 UIToast $PID | UIToast.cpp: UIToast(24) > START
    6 BRELTA_LOG UIToast.cpp 26 UIToast $PID | UIToast.cpp: UIToast(26) > END
    6 BRELTA_LOG UIToast.cpp 94 Destroy $PID | UIToast.cpp: Destroy(94) > UI Toast Hide
    6 BRELTA_TEST_TOOL CTCPDumpTask.cpp 97 DisableVconfForTSDump $PID | CTCPDumpTask.cpp: DisableVconfForTSDump(97) > Disabled vconf for TS Dump
    6 BRELTA_TEST_TOOL TCPDumpHandler.cpp 43 Stop $PID | TCPDumpHandler.cpp: Stop(43) >\x20
    6 BRELTA_TEST_TOOL TCPDumpHandler.cpp 46 Stop $PID | TCPDumpHandler.cpp: Stop(46) >\x20
    6 BRELTA_LOG UIToast.cpp 60 Show $PID | UIToast.cpp: Show(60) > [UI Toast show call=>tcp dump and ts dump stop successfully]
    6 BRELTA_TEST_TOOL CTaskManager.cpp 50 UnLockExit $PID | CTaskManager.cpp: UnLockExit(50) > UNLOCK -- 0
    6 BRELTA_TEST_TOOL CTaskManager.cpp 55 Exit $PID | CTaskManager.cpp: Exit(55) > EXITING in 5 seconds ...
    6 BRELTA_TEST_TOOL CTaskManager.cpp 65 operator() $PID | CTaskManager.cpp: operator()(65) > EXITING.
    6 BRELTA_TEST_TOOL i18n.c 94 i18n_del $PID | i18n.c: i18n_del(94) > DeRegistering i18n_del vconf callbacks\x20
    6 BRELTA_TEST_TOOL CTCPDumpTask.cpp 40 ~CTCPDumpTask $PID | CTCPDumpTask.cpp: ~CTCPDumpTask(40) >\x20
    6 BRELTA_TEST_TOOL brelta_test_tool.cpp 36 main $PID | brelta_test_tool.cpp: main(36) > work finish!! exit!!
    6 BRELTA_LOG UIToast.cpp 30 ~UIToast $PID | UIToast.cpp: ~UIToast(30) > START
    6 BRELTA_LOG UIToast.cpp 94 Destroy $PID | UIToast.cpp: Destroy(94) > UI Toast Hide
    6 BRELTA_LOG UIToast.cpp 32 ~UIToast $PID | UIToast.cpp: ~UIToast(32) > END
  # Each buffer as the file log shows it (between buffers, the journal keeps the order of
  # arrival where the files' merge takes main first within a millisecond).
  $ for b in main system; do BRELTA_LIVE=log brelta-device log --json $b | sed -E 's/"time":"[^"]*","pid":[0-9]*,//' > live; brelta-device log --json $b | sed -E 's/"time":"[^"]*","pid":[0-9]*,//' > file; diff live file && wc -l < live; done
    7
    18
  await followed ~UIToast(32) > END
  $ grep -c . followed
    7
  $ BRELTA_LIVE=log brelta-device live list | grep ^log
    log^Ilive^Iready^Ithe systemd journal at /run/systemd/journal/socket

# No journal to take the records: the file log gets every one, after one warning.
case no-journal
  namespace mount
  journald none
  env BRELTA_LIVE=log
  run brelta.keycombination.nothing
    brelta: the systemd journal takes no records (/run/systemd/journal/socket: No such file or directory): they go to $ROOT/log/
  $ wc -l < log/system; brelta-device log | wc -l
    8
    brelta-device: warning: log is live but there is no systemd journal (/run/systemd/journal/socket: No such file or directory): reading the device root's log
    8
  $ brelta-device live list | grep ^log
    log^Ilive^Imissing^Ino systemd journal (/run/systemd/journal/socket: No such file or directory): records go to the device root's log
