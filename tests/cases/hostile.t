# Hostile device roots, one case per cause: files that are no files, a full disk and a size
# limit, names the shell would split, a lock nobody releases, killed writes, another user's
# /tmp, and signal state left by whoever started the tool. Several cases run the tool from
# the shell (the runner's own reads would wait on a FIFO too) or inside a private mount
# namespace (`unshare -rm`), where the runner cannot look.

# FIFOs that no one ever opens for the other end, at a settings key (swapped in again while
# the runs wait), a fault script, the gateway override, a log, both journals and an input
# file: each is refused as a file that cannot be read, and both runs end as usual.
case fifos-where-files-should-be
  $ for f in settings/db/menu_widget/language faults/vconf_get_str network/default_gateway log/main notifications/journal notifications/input/1 apps/launches; do mkdir -p ${f%/*} && mkfifo $f; done
  $ timeout 20 brelta_test_tool brelta.keycombination.tcpdumpstart & a=$!; timeout 20 brelta_test_tool brelta.keycombination.gateway & b=$!; for i in $(seq 400); do [ "$(grep -cs 'EXITING in' log/system)" = 2 ] && break; sleep 0.05; done; mkfifo f && mv f settings/db/menu_widget/language; wait $a; echo "tcpdumpstart $?"; wait $b; echo "gateway $?"
    tcpdumpstart 0
    gateway 0
  $ grep -o 'Key changed.*\|Hidden Network Test.*\|work finish.*' log/system | sort
    Hidden Network Test 0
    Key changed db/menu_widget/language
    Key changed db/menu_widget/language
    work finish!! exit!!
    work finish!! exit!!
  $ ls -p notifications/input notifications/journal apps/launches log/main
    apps/launches
    log/main
    notifications/journal
    
    notifications/input:
    1

# log/ on a 12 KiB file system, filled up, then freed: records are whole or absent, none is
# cut and none glued to another.
case full-disk-cuts-no-record
  $ mkdir log && unshare -rm sh -c 'mount -t tmpfs -o size=12k none log && head -c 8000 /dev/zero > log/fill; for i in 1 2 3 4 5 6 7 8; do brelta_test_tool brelta.full$i; done; rm log/fill; brelta_test_tool brelta.after; grep -c "Z [0-9]* I/.*Z [0-9]* I/" log/system; grep -vc "^[0-9T:.-]*Z [0-9]* I/BRELTA_TEST_TOOL: [^ ]*: [^ ]*([0-9]*) > " log/system; sed -n "/arg brelta.after/,\$p" log/system | wc -l'
    0
    0
    8

# A log over the process's file-size limit, and a key whose name is as long as a file name
# may be: the run goes on without its records (no SIGXFSZ), the key is written; a value over
# the limit fails like a full disk, and its temporary file goes.
case size-and-name-limits
  $ mkdir log && head -c 2097152 /dev/zero > log/system && (ulimit -f 1024; brelta_test_tool brelta.keycombination.WiFiList; echo "exit $?")
    exit 0
  $ (ulimit -f 1; brelta-device settings set a/b string "$(head -c 3000 /dev/zero | tr '\0' x)"; echo "exit $?"); ls -A settings/a
    brelta-device: cannot write a/b: File too large
    exit 1
  keys
    db/network/LaunchNWWireless: int 1
  $ k=db/$(printf '%0255d' 7); brelta-device settings set $k int 7 && brelta-device settings get $k
    7

# A write killed half-way leaves a temporary file: the key's next write removes it once it
# is stale, and leaves one that a live write may still be using.
case stale-temporaries-swept
  $ mkdir -p settings/db/network && touch -d '1 hour ago' settings/db/network/.LaunchNWWireless.AbC123 && touch settings/db/network/.LaunchNWWireless.XyZ789
  run brelta.keycombination.WiFiList
  keys db/network
    db/network/.LaunchNWWireless.XyZ789:\x20
    db/network/LaunchNWWireless: int 1

# Another process holds the notification id counter's lock for longer than the run: the post
# fails after a bounded wait, like an I/O error, and the run ends as usual.
case id-lock-held
  $ mkdir notifications && touch notifications/last_id; setsid flock notifications/last_id sleep 60 > /dev/null 2>&1 & echo $! > holder; for i in $(seq 400); do [ "$(flock -n notifications/last_id echo free)" != free ] && break; sleep 0.05; done
  run brelta.keycombination.tcpdumpstart
  $ grep -o 'Fail to show popup' log/main
    Fail to show popup
  journal
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}
  $ kill -9 -$(cat holder)

# The MDT program under a root with a blank, a quote and a semicolon: it runs, and nothing
# of the root is run as a command.
case mdt-under-a-root-with-shell-characters
  env BRELTA_DEVICE_ROOT=$ROOT/a b'c;touch $ROOT/injected;#
  $ mkdir -p "$BRELTA_DEVICE_ROOT/usr/bin" && printf '#!/bin/sh\nexit 5\n' > "$BRELTA_DEVICE_ROOT/usr/bin/MDT" && chmod +x "$BRELTA_DEVICE_ROOT/usr/bin/MDT"
  start brelta.keycombination.mdt
  $ for i in $(seq 400); do grep -qs 'Result' "$BRELTA_DEVICE_ROOT/log/system" && break; sleep 0.05; done; grep -o 'cmd .*\|Result.*' "$BRELTA_DEVICE_ROOT/log/system"; ls
    cmd $ROOT/a b'c;touch $ROOT/injected;#/usr/bin/MDT
    Result:[1280]
    a b'c;touch\x20
  kill

# Started with SIGCHLD ignored and SIGTERM blocked, and with standard error a pipe whose
# reader has gone: the MDT child still reports its program's status, the program starts with
# nothing blocked, and an id that GLib warns about is still logged and refused. The program
# reads its mask with the shell's builtins: a command it started would find the shell inside
# its own fork, where it blocks every signal for a moment.
case inherited-signal-state
  write usr/bin/MDT #!/bin/sh\nwhile read -r name mask; do [ "$name" = SigBlk: ] && echo "$name $mask" > "$BRELTA_DEVICE_ROOT/mdt-signals"; done < /proc/$$/status\nexit 3\n
  $ chmod +x usr/bin/MDT
  $ python3 -c 'import os, signal; signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM}); signal.signal(signal.SIGCHLD, signal.SIG_IGN); os.setsid(); os.execvp("brelta_test_tool", ["brelta_test_tool", "brelta.keycombination.mdt"])' > /dev/null 2>&1 & echo $! > pid; for i in $(seq 400); do grep -qs Result log/system && break; sleep 0.05; done; kill -9 -$(cat pid); grep -o 'Result.*' log/system; cat mdt-signals
    Result:[768]
    SigBlk: 0000000000000000
  $ python3 -c 'import os, subprocess; r, w = os.pipe(); os.close(r); print("exit", subprocess.run(["brelta_test_tool", "not a bus name"], stderr=w).returncode)'; grep -o 'invalid argument' log/system
    exit 0
    invalid argument
  $ python3 -c 'import os, signal, subprocess; signal.signal(signal.SIGPIPE, signal.SIG_IGN); r, w = os.pipe(); os.close(r); p = subprocess.run(["brelta-device", "fault", "list", "--known"], stdout=w, stderr=subprocess.PIPE, restore_signals=False); print("exit", p.returncode, p.stderr)'
    exit -13 b''

# No home that can hold the root (here one below a file; for nobody, /nonexistent): the
# fallback root in /tmp is made for the user alone, and refused when it is a link or others
# may write it. Relative XDG_STATE_HOME and HOME are ignored. In a private mount namespace
# with /tmp and the home of its own (the tool copied in from an open file).
case fallback-root
  unset BRELTA_DEVICE_ROOT
  unset XDG_STATE_HOME
  env NS=exec 3<"$(readlink -f "$(command -v brelta_test_tool)")" && mount -t tmpfs none /tmp && mount -t tmpfs none /root && mkdir /tmp/bin && cat <&3 >/tmp/bin/brelta_test_tool && chmod +x /tmp/bin/brelta_test_tool && PATH=/tmp/bin:$PATH && cd /tmp && : > file
  $ HOME=/tmp/file/home unshare -rm sh -c "$NS && brelta_test_tool brelta.unknown && stat -c %A brelta-device-0 && grep -o 'invalid argument' brelta-device-0/log/system"
    drwx------
    invalid argument
  $ unset HOME; unshare -rm sh -c "$NS && brelta_test_tool brelta.unknown && find /root /tmp -path '*/log/system'"
    /root/.local/state/brelta-device/log/system
  $ HOME=home XDG_STATE_HOME=state unshare -rm sh -c "$NS && brelta_test_tool brelta.unknown && find /root /tmp -path '*/log/system'"
    /root/.local/state/brelta-device/log/system
  $ HOME=/tmp/file/home unshare -rm sh -c "$NS && mkdir elsewhere && ln -s elsewhere brelta-device-0 && brelta_test_tool brelta.unknown; ls elsewhere"
    brelta: refusing the device root /tmp/brelta-device-0: not a directory of this user that only they may write
  $ HOME=/tmp/file/home unshare -rm sh -c "$NS && mkdir -m 777 brelta-device-0 && brelta_test_tool brelta.unknown; ls brelta-device-0"
    brelta: refusing the device root /tmp/brelta-device-0: not a directory of this user that only they may write
