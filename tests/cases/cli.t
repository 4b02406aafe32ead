# brelta-device, the workbench: each command's contract once, its wrong command lines and
# failures as rows. `try WORDS...` prints the exit status and the first line of standard
# error of one command line.

case help-version-root
  $ brelta-device --version; brelta-device --help | head -n 1; brelta-device root; brelta-device root --root other; brelta-device root --help | head -n 1
    brelta-device 1.0.0
    usage: brelta-device [--root DIR] COMMAND [ARGUMENTS]
    $ROOT
    $ROOT/other
    usage: brelta-device root
  $ mkdir other; brelta-device --root other settings set a/b int 1; brelta-device --root="$ROOT/other" settings list; ls
    a/b int 1
    other
  $ BRELTA_DEVICE_ROOT= HOME=/home/x XDG_STATE_HOME= brelta-device root
    /home/x/.local/state/brelta-device
  # Every command the help lists: its own --help, a usage error that points at it (exit 2),
  # its entry in the manual page; and each group's help and errors.
  $ man=$BRELTA_BUILD_DIR/share/man/man1/brelta-device.1; brelta-device --help | sed -n '/^Commands:/,/^$/s/^  \([a-z].*\)/\1/p' | sed 's/  .*//' > synopses; while read -r syn; do c=${syn%% [[A-Z-]*}; [ "$(brelta-device $c --help | head -n 1)" = "usage: brelta-device $syn" ] || echo "$c: help"; e=$(brelta-device $c --frob 2>&1); [ $? = 2 ] && [ "$(echo "$e" | tail -n 1)" = "Try 'brelta-device $c --help'." ] || echo "$c: usage error"; grep -qF ".B \"$(echo "$syn" | sed 's/-/\\-/g')\"" "$man" || echo "$c: manual"; done < synopses; wc -l < synopses; for g in settings usb toast capture fault live; do brelta-device $g --help | head -n 1; brelta-device $g 2>&1 | tail -n 1; done | sort | uniq -c
    28
          1 Try 'brelta-device capture --help'.
          1 Try 'brelta-device fault --help'.
          1 Try 'brelta-device live --help'.
          1 Try 'brelta-device settings --help'.
          1 Try 'brelta-device toast --help'.
          1 Try 'brelta-device usb --help'.
          6 usage:

case usage-errors
  set a/key int 3
  $ try() { e=$(brelta-device "$@" 2>&1 >/dev/null); echo "$? $*: $(printf '%s\n' "$e" | head -n 1)"; }; try; try frobnicate; try --frob settings; try settings; try settings frob; try launches extra; try launches "$(printf 'a\033b')"; try toast press 1 2 3 4; try fault set; try settings get -Z x; try log --lines; try reset --force; try settings set a/key integer 1; try settings set a/key bool 2; try settings set a/key int 1.5; try settings set a/key int 9999999999; try settings set ../x int 1; try settings set a//b int 1; try settings set "$(printf 'a/b\033c')" int 1; try settings set a/key int; try settings get --json; try settings set a/key; try log -n; try log -n x; try log --since yesterday; try log --since 2026-13-45; try log --since 2026-02-29T10:00; try log -p loud; try log radioo; try log main main; try fault set vconf_get_int 0x10; try fault set vconf_get_int 4294967296; try fault set nofunc 1; try usb attach relative/path; try usb attach "$(printf '/a\tb')"; try toast press 5 3; try toast press x 1; try toast press 9999999999999 1; try --root
    2 : brelta-device: no command given
    2 frobnicate: brelta-device: unknown command 'frobnicate'
    2 --frob settings: brelta-device: unknown option '--frob'
    2 settings: brelta-device: 'settings' needs a command:
    2 settings frob: brelta-device: unknown command 'settings frob':
    2 launches extra: brelta-device: unexpected operand 'extra'
    2 launches a^[b: brelta-device: unexpected operand 'a\x1bb'
    2 toast press 1 2 3 4: brelta-device: unexpected operand '3'
    2 fault set: brelta-device: missing operands FUNCTION RESULT
    2 settings get -Z x: brelta-device: unknown option '-Z'
    2 log --lines: brelta-device: option '--lines' needs a value
    2 reset --force: brelta-device: unknown option '--force'
    2 settings set a/key integer 1: brelta-device: unknown type 'integer' (int, bool, double or string)
    2 settings set a/key bool 2: brelta-device: '2' is not a bool (true, false, 1 or 0)
    2 settings set a/key int 1.5: brelta-device: '1.5' is not an int
    2 settings set a/key int 9999999999: brelta-device: '9999999999' is not an int
    2 settings set ../x int 1: brelta-device: '../x' is not a settings key (a relative name such as db/menu_widget/language, without '.' components)
    2 settings set a//b int 1: brelta-device: 'a//b' is not a settings key (a relative name such as db/menu_widget/language, without '.' components)
    2 settings set a/b^[c int 1: brelta-device: 'a/b\x1bc' is not a settings key: keys hold no control characters
    2 settings set a/key int: brelta-device: missing operand VALUE
    2 settings get --json: brelta-device: missing operand KEY
    2 settings set a/key: brelta-device: missing operands TYPE VALUE
    2 log -n: brelta-device: option '-n' needs a value
    2 log -n x: brelta-device: 'x' is not a number of records
    2 log --since yesterday: brelta-device: 'yesterday' is not a time (2026-12-05T13:46) or an age (10m)
    2 log --since 2026-13-45: brelta-device: '2026-13-45' is not a time (2026-12-05T13:46) or an age (10m)
    2 log --since 2026-02-29T10:00: brelta-device: '2026-02-29T10:00' is not a time (2026-12-05T13:46) or an age (10m)
    2 log -p loud: brelta-device: 'loud' is not a priority (V D I W E F, or verbose ... fatal)
    2 log radioo: brelta-device: unknown buffer 'radioo' (main, radio, system or apps)
    2 log main main: brelta-device: buffer 'main' named twice
    2 fault set vconf_get_int 0x10: brelta-device: '0x10' is not a decimal int result
    2 fault set vconf_get_int 4294967296: brelta-device: '4294967296' is not a decimal int result
    2 fault set nofunc 1: brelta-device: 'nofunc' takes no fault script; these do:
    2 usb attach relative/path: brelta-device: MOUNTPATH must be an absolute path
    2 usb attach /a^Ib: brelta-device: MOUNTPATH must be a non-empty text without tabs or line breaks
    2 toast press 5 3: brelta-device: BUTTON is 1 or 2
    2 toast press x 1: brelta-device: 'x' is not a notification id
    2 toast press 9999999999999 1: brelta-device: '9999999999999' is not a notification id
    2 --root: brelta-device: option '--root' needs a value
  $ cat settings/a/key; ls
    int 3
    settings
  # A whole usage error: what was wrong, the command's synopsis, where its help is.
  $ brelta-device root extra
    brelta-device: unexpected operand 'extra'
    usage: brelta-device root
    Try 'brelta-device root --help'.
    [2]

case failures
  write settings/db/broken int twelve\n
  write settings/a a file where a directory should be\n
  write notifications/journal {"op":"post","id":3,"pid":999999999,"buttons":[{"button":1,"text":"OK"}]}\n{"op":"post","id":4,"pid":1,"buttons":[]}\n{"op":"event","id":4,"pid":1,"event":101}\n{"op":"post","id":5,"pid":1,"buttons":[]}\n
  $ mkdir -p settings/db/dir; brelta-device usb attach /media/usb0
    brelta-device: warning: /media/usb0 does not exist yet
  $ try() { e=$(brelta-device "$@" 2>&1 >/dev/null); echo "$? $*: $(printf '%s\n' "$e" | head -n 1)"; }; try settings get db/none; try settings get db/broken; try settings get db/dir; try settings set a/b int 1; try settings set db/dir string x; try settings unset db/dir; try fault clear vconf_get_int; try usb attach /media/usb0; try usb detach /media/none; try toast press 3 1; try toast hide 4; try toast press 5 2; try toast hide 5
    1 settings get db/none: brelta-device: no key db/none
    1 settings get db/broken: brelta-device: db/broken is not a valid setting ($ROOT/settings/db/broken)
    1 settings get db/dir: brelta-device: db/dir is a directory of keys, not a key
    1 settings set a/b int 1: brelta-device: cannot write a/b: a is a key, so no key can be below it
    1 settings set db/dir string x: brelta-device: cannot write db/dir: it is a directory of keys
    1 settings unset db/dir: brelta-device: db/dir is a directory of keys, not a key
    1 fault clear vconf_get_int: brelta-device: no script for vconf_get_int
    1 usb attach /media/usb0: brelta-device: /media/usb0 is already attached
    1 usb detach /media/none: brelta-device: /media/none is not attached
    1 toast press 3 1: brelta-device: notification 3 belongs to process 999999999, which has ended
    1 toast hide 4: brelta-device: notification 4 is not on screen
    1 toast press 5 2: brelta-device: notification 5 has no button 2
    1 toast hide 5: brelta-device: process 1 has not taken $ROOT/notifications/input/5 yet (is its main loop running?); the file stays for it
  $ brelta-device settings set db/big string "$(head -c 65600 /dev/zero | tr '\0' x)"; echo $?
    brelta-device: the value of db/big is 65600 bytes, over the size limit of a string setting (65528 bytes)
    Try 'brelta-device settings set --help'.
    2
  $ try() { e=$(brelta-device "$@" 2>&1 >/dev/null); echo "$? $*: $(printf '%s\n' "$e" | head -n 1)"; }; printf 'a/b int 1\na/c int x\n' | try settings load; try settings get a/b; printf 'a\\x4 int 1\n' | try settings load
    1 settings load: brelta-device: line 2: 'x' is not an int
    1 settings get a/b: brelta-device: no key a/b
    1 settings load: brelta-device: line 1: a malformed \x escape
  $ head -c 65600 /dev/zero | tr '\0' x | sed 's/^/a\/b string /' | brelta-device settings load; echo $?
    brelta-device: line 1: the value of a/b is 65600 bytes, over the size limit of a string setting (65528 bytes)
    1
  $ brelta-device toast list; ls notifications
    5 pid 1:  |\x20
    input
    journal

case settings
  $ brelta-device settings set memory/x/status int -7 && brelta-device settings set db/menu/mode bool true; brelta-device settings set db/menu/off bool 0 && brelta-device settings set db/ratio double 0.1; brelta-device settings set db/big double 1e300 && brelta-device settings set db/lang string ' en US '; brelta-device settings set db/text string "$(printf 'two\nlines\\and a backslash')"
  $ echo 'double 0.50000000000000000' > settings/db/hand; echo 'int 12junk' > settings/db/junk; cat settings/memory/x/status settings/db/menu/mode settings/db/ratio; brelta-device settings get db/hand; brelta-device settings get db/menu/off; brelta-device settings get db/text
    int -7
    bool 1
    double 0.1
    0.5
    false
    two\x0alines\x5cand a backslash
  $ brelta-device settings list db/; brelta-device settings list --json db/
    db/big double 1e+300
    db/hand double 0.5
    db/junk (not a valid setting)
    db/lang string  en US\x20
    db/menu/mode bool true
    db/menu/off bool false
    db/ratio double 0.1
    db/text string two\x0alines\x5cand a backslash
    {"key":"db/big","type":"double","value":1e+300}
    {"key":"db/hand","type":"double","value":0.5}
    {"key":"db/junk","type":null,"value":null}
    {"key":"db/lang","type":"string","value":" en US "}
    {"key":"db/menu/mode","type":"bool","value":true}
    {"key":"db/menu/off","type":"bool","value":false}
    {"key":"db/ratio","type":"double","value":0.1}
    {"key":"db/text","type":"string","value":"two\nlines\\and a backslash"}
  $ brelta-device settings dump db > dump; brelta-device settings load copy < dump; brelta-device settings dump copy | diff - dump && brelta-device settings get --json copy/text
    brelta-device: warning: left out db/junk: not a valid setting
    {"key":"copy/text","type":"string","value":"two\nlines\\and a backslash"}
  $ brelta-device settings set -- db/dash string --json && brelta-device settings set db/neg int -5 --help > /dev/null; brelta-device settings get db/dash; ls settings/db/neg
    --json
    ls: cannot access 'settings/db/neg': No such file or directory
    [2]
  $ brelta-device settings unset db/lang db/none copy; brelta-device settings list db/l; ls settings
    brelta-device: copy is a directory of keys, not a key
    copy
    db
    memory
  $ v=$(head -c 65528 /dev/zero | tr '\0' x); echo "string $v" > settings/db/full; echo "string ${v}x" > settings/db/fuller; printf 'int 2147483647\n' > settings/db/max; printf 'int 2147483648\n' > settings/db/over; printf 'double inf\n' > settings/db/inf; printf 'double nan\n' > settings/db/nan; brelta-device settings set db/written string "$v" && wc -c < settings/db/written
    65536
  $ for k in max over inf nan full fuller; do brelta-device settings get db/$k 2>&1 | cut -c1-44; done; stat -c %a settings/db/ratio
    2147483647
    brelta-device: db/over is not a valid settin
    brelta-device: db/inf is not a valid setting
    brelta-device: db/nan is not a valid setting
    xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
    brelta-device: db/fuller is not a valid sett
    644

case settings-watch
  $ timeout 60 brelta-device settings watch --json db/a/lang db/a/mode > watched 2>&1 & for i in $(seq 50); do brelta-device settings set db/a/lang string first; sleep 0.3; [ -s watched ] && break; done; seen() { i=0; while [ "$(grep -vc '"first"' watched)" -lt $1 ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done; }; brelta-device settings set db/other int 1; brelta-device settings set db/a/mode double 0.1; seen 1; echo 'string en US' > settings/db/a/lang; seen 2; echo 'bool 7' > settings/db/a/mode; seen 3; rm settings/db/a/lang; seen 4; kill $!; grep -v '"first"' watched
    {"key":"db/a/mode","type":"double","value":0.1,"event":"changed"}
    {"key":"db/a/lang","type":"string","value":"en US","event":"changed"}
    {"key":"db/a/mode","type":null,"value":null,"event":"changed"}
    {"key":"db/a/lang","type":null,"value":null,"event":"deleted"}

case usb
  $ brelta-device usb attach "$ROOT/usb0" 'Flash Disk 32G'; brelta-device usb attach /media/usb1; brelta-device usb list; brelta-device usb list --json; brelta-device usb detach "$ROOT/usb0"; cat usb/devices
    brelta-device: warning: $ROOT/usb0 does not exist yet
    brelta-device: warning: /media/usb1 does not exist yet
    $ROOT/usb0^IFlash Disk 32G
    /media/usb1^IUSB Storage
    {"mountpath":"$ROOT/usb0","product":"Flash Disk 32G"}
    {"mountpath":"/media/usb1","product":"USB Storage"}
    /media/usb1^IUSB Storage
  $ for i in $(seq 20); do brelta-device usb attach "/m/$i" 2>/dev/null & done; wait; brelta-device usb list | wc -l; for i in $(seq 20); do brelta-device usb detach "/m/$i" & done; wait; cat usb/devices
    21
    /media/usb1^IUSB Storage
  $ printf '/m\033[2J\tevil\033]0;x\a\n/c1\302\233\tr\233aw \342\201\246bidi \304\200\n' > usb/devices; brelta-device usb list | cat -v
    /m\x1b[2J^Ievil\x1b]0;x\x07
    /c1\xc2\x9b^Ir\x9baw \xe2\x81\xa6bidi M-DM-^@

case fault
  $ brelta-device fault set connection_create -12 010 0 && brelta-device fault set vconf_get_int 1; cat faults/connection_create; brelta-device fault list; brelta-device fault list --json; brelta-device fault clear vconf_get_int; brelta-device fault list
    -12 10 0
    connection_create: -12 10 0
    vconf_get_int: 1
    {"function":"connection_create","results":[-12,10,0]}
    {"function":"vconf_get_int","results":[1]}
    connection_create: -12 10 0
  run brelta.keycombination.tcpdumpstart
  $ brelta-device fault clear; ls faults; brelta-device fault list --known | wc -l; brelta-device fault list --known --json | head -n 1
    34
    {"function":"app_control_add_extra_data"}
  $ grep -o '"content":"[^"]*"' notifications/journal
    "content":"tcp dump failed to start "

# Listed from a journal whose poster (pid 1) lives on; pressed on a run of the tool, which
# keeps its toast up only for its five seconds: one command in that time, on a loaded machine.
case toast
  write notifications/journal {"op":"post","id":1,"pid":1,"type":0,"title":"T","content":"c","image":null,"buttons":[{"button":1,"text":"OK","image":null},{"button":2,"text":"Cancel","image":null}],"default_button":2,"display_applist":16,"layout":1,"hide_timeout":60}\n
  write notifications/last_id 1\n
  $ brelta-device toast list; brelta-device toast list --json
    1 pid 1: T | c | [ OK ] [>Cancel<]
    {"id":1,"pid":1,"type":0,"title":"T","content":"c","image":null,"buttons":[{"button":1,"text":"OK","image":null},{"button":2,"text":"Cancel","image":null}],"default_button":2,"display_applist":16,"layout":1,"hide_timeout":60}
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":2
  $ brelta-device toast press 2 1
  wait
  $ brelta-device toast list
    1 pid 1: T | c | [ OK ] [>Cancel<]
  journal
    {"op":"post","id":2,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"event","id":2,"pid":$PID,"event":0}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}

case toast-watch
  write notifications/journal {"op":"delete_all","pid":1,"type":0,"ids":[]}\n
  $ timeout 60 brelta-device toast watch -n 1 > ../watched 2>&1 & echo $! > ../watcher; until [ -s ../watched ]; do sleep 0.02; done
  start brelta.keycombination.tcpdumpstart
  press 1 0
  wait
  $ timeout 60 brelta-device toast watch -n 1 --json > ../watched.json 2>&1 & echo $! >> ../watcher; until [ -s ../watched.json ]; do sleep 0.02; done
  run brelta.keycombination.tcpdumpstop
  $ until grep -qs '"ids":\[2\]' ../watched.json && grep -q 'delete_all 2' ../watched; do sleep 0.02; done; kill $(cat ../watcher); cat ../watched ../watched.json
    delete_all - pid 1
    post 1 pid $PID: TCP Dump tool | tcp dump and ts dump start successfully | [>OK<]
    event 1 pid $PID: button 1 pressed (0)
    delete_all - pid $PID
    post 2 pid $PID2: TCP Dump tool | tcp dump and ts dump stop successfully | [>OK<]
    delete_all 2 pid $PID2
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}
    {"op":"post","id":2,"pid":$PID2,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump stop successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[2]}

case hostile-journals
  $ python3 -c 'print("[" * 100000 + "]" * 100000)' > deep; mkdir -p apps notifications; cat deep > apps/launches; echo '{"pid":1,"app_id":"a","operation":null,"extra":[["k","v\u001b"]],"result":0}' >> apps/launches; echo 'not json' >> apps/launches; cp deep notifications/journal; brelta-device launches; brelta-device toast list; brelta-device toast press 1 1
    brelta-device: warning: skipped 2 lines of apps/launches (1 not a JSON object, 1 nested too deep)
    #1 pid 1 app a operation - result 0 k=v\x1b
    brelta-device: warning: skipped 1 line of notifications/journal (1 nested too deep)
    brelta-device: warning: skipped 1 line of notifications/journal (1 nested too deep)
    brelta-device: notification 1 is not on screen
    [1]
  $ rm apps/launches; mkfifo apps/launches; brelta-device launches; echo $?
    brelta-device: cannot read $ROOT/apps/launches: not a regular file
    1
  $ rm notifications/journal; mkdir notifications/journal; brelta-device toast list; echo $?
    brelta-device: cannot read $ROOT/notifications/journal: not a regular file
    1

case launches
  write network/default_gateway 1
  run brelta.keycombination.ndf
  run brelta.keycombination.gateway
  $ brelta-device launches; brelta-device launches --json
    #1 pid $PID app org.tizen.NetworkSetting-Tizen operation - result 0 NW_TEST_FUNCTION_FROM_JSON=LAUNCH_NDF_POPUP
    #2 pid $PID2 app org.tizen.alert-syspopup operation http://tizen.org/appcontrol/operation/default result 0 type=notification text=<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align> timeout=30
    {"pid":$PID,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_NDF_POPUP"]],"result":0}
    {"pid":$PID2,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>"],["timeout","30"]],"result":0}

case launches-follow
  write apps/launches {"pid":1,"app_id":"x","operation":null,"extra":[],"result":0}\n
  $ timeout 60 brelta-device launches -f > ../followed 2>&1 & echo $! > ../follower; until [ -s ../followed ]; do sleep 0.02; done
  run brelta.keycombination.WiFiList
  $ until grep -q LAUNCH_WIFI ../followed; do sleep 0.02; done; kill $(cat ../follower); cat ../followed
    #1 pid 1 app x operation - result 0
    #2 pid $PID app org.tizen.NetworkSetting-Tizen operation - result 0 NW_TEST_FUNCTION_FROM_JSON=LAUNCH_WIFI_LIST_PAGE

case log
  write log/system 2000-01-01T13:46:45.100Z 42 I/BRELTA_TEST_TOOL: f.cpp: fn(1) > s1\n2000-01-01T13:46:45.300Z 42 E/BRELTA_TEST_TOOL: f.cpp: fn(1) > s2\ntorn fragment\n2000-01-01T13:46:45.300Z 43 W/OTHER: f.cpp: fn(1) > s3\n
  write log/main 2000-01-01T13:46:45.200Z 42 I/BRELTA_LOG: f.cpp: fn(1) > m1\n2099-01-01T00:00:00.000Z 42 D/BRELTA_LOG: f.cpp: fn(1) > m2 \x1b[2J\n
  $ brelta-device log
    brelta-device: warning: skipped 1 line of log/system (not log records)
    <time> 42 I/BRELTA_TEST_TOOL: f.cpp: fn(1) > s1
    <time> 42 I/BRELTA_LOG: f.cpp: fn(1) > m1
    <time> 42 E/BRELTA_TEST_TOOL: f.cpp: fn(1) > s2
    <time> 43 W/OTHER: f.cpp: fn(1) > s3
    <time> 42 D/BRELTA_LOG: f.cpp: fn(1) > m2 \x1b[2J
  $ brelta-device log -n 2 main; brelta-device log system -p warn; brelta-device log -t OTHER -t BRELTA_LOG --since 2000-01-01T13:46:45.250
    <time> 42 I/BRELTA_LOG: f.cpp: fn(1) > m1
    <time> 42 D/BRELTA_LOG: f.cpp: fn(1) > m2 \x1b[2J
    brelta-device: warning: skipped 1 line of log/system (not log records)
    <time> 42 E/BRELTA_TEST_TOOL: f.cpp: fn(1) > s2
    <time> 43 W/OTHER: f.cpp: fn(1) > s3
    brelta-device: warning: skipped 1 line of log/system (not log records)
    <time> 43 W/OTHER: f.cpp: fn(1) > s3
    <time> 42 D/BRELTA_LOG: f.cpp: fn(1) > m2 \x1b[2J
  $ brelta-device log --json -n 1 system 2>/dev/null; brelta-device log --since 1d main
    {"buffer":"system","time":"<time>","pid":43,"priority":"W","tag":"OTHER","message":"f.cpp: fn(1) > s3","file":"f.cpp","function":"fn","line":1,"text":"s3"}
    <time> 42 D/BRELTA_LOG: f.cpp: fn(1) > m2 \x1b[2J

case log-large-and-hostile
  $ mkdir log; truncate -s 1G log/system; python3 -c 'import resource, subprocess; subprocess.run(["brelta-device", "log", "system"]); print("peak memory under 200 MB:", resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss < 200000)'
    brelta-device: warning: skipped 1 line of log/system (not log records)
    peak memory under 200 MB: True
  $ rm log/system; mkfifo log/system; brelta-device log; echo $?
    brelta-device: cannot read $ROOT/log/system: not a regular file
    1

case log-follow
  run brelta.keycombination.nothing
  $ timeout 60 brelta-device log -f system > ../followed 2>&1 & echo $! > ../follower; until grep -qs 'work finish' ../followed; do sleep 0.02; done
  run brelta.keycombination.nothing
  $ until [ "$(grep -c 'work finish' ../followed)" = 2 ]; do sleep 0.02; done; cmp ../followed log/system && brelta-device reset --yes && mkdir log && echo '2026-12-05T13:46:50.000Z 1 I/T: after the reset' > log/system; until grep -q 'after the reset' ../followed; do sleep 0.02; done; kill $(cat ../follower); tail -n 1 ../followed
    <time> 1 I/T: after the reset

# The followers outlive their root: removed whole and made again, it is followed on.
case followers-outlive-the-root
  write log/system 2026-12-05T13:46:50.000Z 1 I/T: before\n
  write apps/launches {"pid":1,"app_id":"before","operation":null,"extra":[],"result":0}\n
  write notifications/journal {"op":"delete_all","pid":1,"type":0,"ids":[]}\n
  $ for c in 'log -f' 'launches -f' 'toast watch -n 1'; do timeout 60 brelta-device $c > "../${c%% *}" 2>&1 & echo $! >> ../followers; done; until [ -s ../log ] && [ -s ../launches ] && [ -s ../toast ]; do sleep 0.02; done
  $ rm -rf "$ROOT" && mkdir -p "$ROOT/log" "$ROOT/apps" "$ROOT/notifications" && echo '2026-12-05T13:46:51.000Z 1 I/T: after' > "$ROOT/log/system" && echo '{"pid":1,"app_id":"after","operation":null,"extra":[],"result":0}' > "$ROOT/apps/launches" && echo '{"op":"delete_all","pid":2,"type":0,"ids":[]}' > "$ROOT/notifications/journal"; until [ "$(cat ../log ../launches ../toast | wc -l)" = 6 ]; do sleep 0.02; done; kill $(cat ../followers); cat ../log ../launches ../toast
    <time> 1 I/T: before
    <time> 1 I/T: after
    #1 pid 1 app before operation - result 0
    #2 pid 1 app after operation - result 0
    delete_all - pid 1
    delete_all - pid 2

case reset
  set a/b int 1
  write opt/usr/data/network/tcpdump-1.pcap pcap
  write settings/db/.LaunchNWWireless.Ab12Cd int 1
  $ printf 'n\n' | brelta-device reset; echo $?; brelta-device reset < /dev/null; echo $?; ls
    Empty the device root $ROOT? [y/N] brelta-device: not reset
    1
    Empty the device root $ROOT? [y/N]\x20
    brelta-device: not reset
    1
    opt
    settings
  $ printf 'y\n' | brelta-device reset; echo $?; ls -A
    Empty the device root $ROOT? [y/N] 0
  $ mkdir -p ../home/Documents && brelta-device --root ../home reset --yes; echo $?; ls ../home
    brelta-device: $ROOT/../home does not look like a device root (it holds Documents); not emptying it
    1
    Documents

# The services' choice: the file that on and off edit (every service on is "all"), unknown
# names refused with the file as it was, and BRELTA_LIVE overriding the file for list.
case live
  $ brelta-device live on usb log && cat live && brelta-device live on all && cat live && brelta-device live off toast capture && cat live
    log
    usb
    all
    log
    launch
    gateway
    usb
  $ brelta-device live on log frob; echo $?; brelta-device live list | cut -f1,2; BRELTA_LIVE=all,-x brelta-device live off usb; cat live
    brelta-device: unknown service 'frob' (log, toast, launch, capture, gateway, usb, all)
    Try 'brelta-device live on --help'.
    2
    log^Ilive
    toast^Iemulated
    launch^Ilive
    capture^Iemulated
    gateway^Ilive
    usb^Ilive
    brelta-device: warning: BRELTA_LIVE is set here: it, not $ROOT/live, chooses for the programs started with it
    log
    launch
    gateway
  $ BRELTA_LIVE=toast brelta-device live list --json | grep -o '"service":"[a-z]*","live":true'
    "service":"toast","live":true

# What a listing cannot read, it says, and fails: a folder it may not read, a key deeper than
# the longest path. reset empties what rm -rf would: the deep tree, an empty folder it may
# not read. (Root reads any folder: `u` runs a command without that power.)
case unreadable-and-deep-trees
  set a/b int 1
  set c/d int 2
  $ python3 -c 'import os; os.chdir("settings"); [(os.mkdir("d" * 250), os.chdir("d" * 250)) for _ in range(20)]; open("k", "w").write("int 3\n")'; chmod 0 settings/c; mkdir -m 0 settings/empty
  $ u() { if [ "$(id -u)" = 0 ]; then setpriv --bounding-set=-dac_override,-dac_read_search "$@"; else "$@"; fi; }; u brelta-device settings list 2>&1 >/dev/null; echo $?; u brelta-device settings dump; echo $?
    brelta-device: warning: cannot read settings/c: Permission denied
    brelta-device: warning: cannot read settings/dddddddddddddddddddddddddddddddddddddddd...: deeper than the longest path (4096 bytes)
    brelta-device: warning: cannot read settings/empty: Permission denied
    brelta-device: incomplete: 3 parts of the store could not be read
    1
    brelta-device: warning: cannot read settings/c: Permission denied
    brelta-device: warning: cannot read settings/dddddddddddddddddddddddddddddddddddddddd...: deeper than the longest path (4096 bytes)
    brelta-device: warning: cannot read settings/empty: Permission denied
    brelta-device: incomplete: 3 parts of the store could not be read
    a/b int 1
    1
  $ chmod 700 settings/c; u() { if [ "$(id -u)" = 0 ]; then setpriv --bounding-set=-dac_override,-dac_read_search "$@"; else "$@"; fi; }; u brelta-device reset --yes; echo $?; ls -A
    0

# Completion: every candidate comes from brelta-device, quoted for the command line, so that a
# key holding blanks, $(...), backquotes, quotes and a glob is offered as itself, reads back as
# itself, and runs nothing at TAB. The manual pages are the table's.
case completion-and-manual
  set db/menu/lang string x
  set db/menu/mode bool 1
  $ brelta-device settings set 'db/$(touch${IFS}x) `touch y` '"'q'"' "q" *' int 7
  $ share=$(dirname "$(readlink -f "$(command -v brelta-device)")")/../share; c() { bash -c '. "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _brelta_device; echo "${COMPREPLY[*]}"' "$share/bash-completion/completions/brelta-device" "$@"; }; c brelta-device ''; c brelta-device settings g; c brelta-device settings get db/; c brelta-device settings get "'db/\$"; c brelta-device settings list --root "$ROOT" db/menu/m; c brelta-device settings set db/x bool ''; c brelta-device fault set connection_profile_s; c brelta-device log -p e; c brelta-device toast ''; c brelta-device live off g; c brelta-device --root = /nowhere settings get '' | wc -w; eval "k=$(c brelta-device settings get 'db/$')"; brelta-device settings get "$k"; ls
    root settings usb toast capture fault log launches live reset screen
    get
    db/\$\(touch\$\{IFS\}x\)\ \`touch\ y\`\ \'q\'\ \"q\"\ \* db/menu/
    db/$(touch${IFS}x) `touch y` '\''q'\'' "q" *
    db/menu/mode
    true false
    connection_profile_start_tcpdump connection_profile_stop_tcpdump
    error
    list press hide watch
    gateway
    0
    7
    settings
  $ share=$(dirname "$(readlink -f "$(command -v brelta-device)")")/../share/man/man1; for page in brelta-device brelta_test_tool; do grep '^\.SH' "$share/$page.1" | tr '\n' ' '; echo; groff -man -ww -z "$share/$page.1"; done; grep -A1 -e '^\.B brelta.keycombination.mdt' -e '^\.TH' "$share/brelta_test_tool.1"
    .SH NAME .SH SYNOPSIS .SH DESCRIPTION .SH OPTIONS .SH COMMANDS .SH ENVIRONMENT .SH FILES .SH EXIT STATUS .SH SEE ALSO\x20
    .SH NAME .SH SYNOPSIS .SH DESCRIPTION .SH COMMAND IDS .SH ENVIRONMENT .SH FILES .SH EXIT STATUS .SH SEE ALSO\x20
    .TH BRELTA_TEST_TOOL 1 "" "brelta_test_tool 1.0.0" "User Commands"
    .ad l
    --
    .B brelta.keycombination.mdt
    Starts the MDT program in a child process. The run ends 120 s after its work.
