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
    brelta-device: warning: reading the systemd journal, as log is live; the device root's log/ holds records too (read with log emulated)
    brelta-device: warning: reading the device root's log, as log is emulated; the systemd journal holds records of the root too (read with log live)
    7
    brelta-device: warning: reading the systemd journal, as log is live; the device root's log/ holds records too (read with log emulated)
    brelta-device: warning: reading the device root's log, as log is emulated; the systemd journal holds records of the root too (read with log live)
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
  # A socket that nobody listens on (its journald gone), then a FIFO in its place: each
  # refuses the first record at once, and the reader does not take either for a journal.
  $ mkdir /run/systemd/journal && /usr/bin/python3 -c 'import socket; socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM).bind("/run/systemd/journal/socket")'
  run brelta.keycombination.nothing
    brelta: the systemd journal takes no records (/run/systemd/journal/socket: Connection refused): they go to $ROOT/log/
  $ brelta-device log | wc -l
    brelta-device: warning: log is live but there is no systemd journal (/run/systemd/journal/socket: Connection refused): reading the device root's log
    16
  $ rm /run/systemd/journal/socket && mkfifo /run/systemd/journal/socket
  run brelta.keycombination.nothing
    brelta: the systemd journal takes no records (/run/systemd/journal/socket: Connection refused): they go to $ROOT/log/
  $ brelta-device log | wc -l
    brelta-device: warning: log is live but there is no systemd journal (/run/systemd/journal/socket is not a socket): reading the device root's log
    24

# Every send to the journal is bounded (JournalLog::kSendTimeoutMs): a journald stopped with
# its socket's queue full takes the first record nowhere, and after that wait the record and
# every later one go to the files, after one warning; the run ends on time (the runner's own
# check of its exit delay). Each record keeps the time it was made, so the wait shows between
# the first two. The reader still takes the journal, which holds none of the root's records,
# and says the files hold some.
case stopped-journal
  namespace mount
  journald
  env BRELTA_LIVE=log
  $ kill -STOP $JOURNALD_PID && until grep -q stopped /proc/$JOURNALD_PID/status; do sleep 0.01; done && journal-send --fill
  run brelta.keycombination.tcpdumpstop
    brelta: the systemd journal takes no records (/run/systemd/journal/socket: took no record within 1000 ms): they go to $ROOT/log/
  between "start work" "Enter i18n_init" 0.99 4
  $ cat log/system log/main | wc -l; brelta-device log | wc -l
    25
    brelta-device: warning: reading the systemd journal, as log is live; the device root's log/ holds records too (read with log emulated)
    0

# Only the tool's own entries are its records: another user's entries that name the root,
# the buffer and the tool's tag (logger, the tool itself run against the root, a datagram),
# and root's sent by another program under the tool's name, are left out and counted. The
# tool's own run is shown whole.
case forged-entries
  namespace mount
  journald
  env BRELTA_LIVE=log
  run brelta.keycombination.nothing
  $ forged="MESSAGE=NW_Hidden_Key.cpp: Execute(50) > NETWORK TEST : PASS
    > SYSLOG_IDENTIFIER=BRELTA_TEST_TOOL
    > BRELTA_DEVICE_ROOT=$ROOT
    > BRELTA_LOG_BUFFER=system
    > BRELTA_LOG_PRIORITY=I"
    > nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
    > echo "$forged" | nobody logger --journald
    > nobody "$(readlink -f "$(command -v brelta_test_tool)")" 'NETWORK TEST : PASS' 2>/dev/null
    > IFS='
    > '
    > nobody journal-send $forged
    > journal-send --stay --comm brelta_test_tool $forged
    > journalctl --sync
  $ brelta-device log | cut -d' ' -f2-
    brelta-device: warning: skipped 11 journal entries naming this root (not the tool's records: another user or program sent them)
    $PID I/BRELTA_TEST_TOOL: brelta_test_tool.cpp: main(24) > start work !! => arg brelta.keycombination.nothing
    $PID I/BRELTA_TEST_TOOL: i18n.c: i18n_init(83) > Enter i18n_init
    $PID I/BRELTA_TEST_TOOL: i18n.c: update_lang(28) > failed to get current language for set lang env
    $PID I/BRELTA_TEST_TOOL: i18n.c: update_region(45) > failed to get current region format for set region env
    $PID I/BRELTA_TEST_TOOL: brelta_test_tool.cpp: own_name(15) > own bus brelta.keycombination.nothing
    $PID I/BRELTA_TEST_TOOL: CTaskManager.cpp: Init(23) > invalid argument
    $PID I/BRELTA_TEST_TOOL: i18n.c: i18n_del(94) > DeRegistering i18n_del vconf callbacks\x20
    $PID I/BRELTA_TEST_TOOL: brelta_test_tool.cpp: main(36) > work finish!! exit!!

# A record is built from the entry's fields, never from a line printed and parsed again: a tag
# holding ": " and a line break stays whole, and the message is taken apart as the file log's
# are. No program of the platform writes such a tag: this entry is root's, and gets in because
# journald was stopped until its sender had ended, so the journal knows its uid only (as it
# may for the tool's own last records).
case tag-with-separators
  namespace mount
  journald
  $ kill -STOP $JOURNALD_PID && until grep -q stopped /proc/$JOURNALD_PID/status; do sleep 0.01; done
    > journal-send "SYSLOG_IDENTIFIER=$(printf 'A: B\nC')" "MESSAGE=x.cpp: f(3) > y: z" BRELTA_DEVICE_ROOT=$ROOT BRELTA_LOG_BUFFER=main BRELTA_LOG_PRIORITY=W
    > kill -CONT $JOURNALD_PID && journalctl --sync
  $ BRELTA_LIVE=log brelta-device log --json | sed -E 's/"pid":[0-9]+,//'
    {"buffer":"main","time":"<time>","priority":"W","tag":"A: B\\x0aC","message":"x.cpp: f(3) > y: z","file":"x.cpp","function":"f","line":3,"text":"y: z"}
