# The live capture: brelta-capture on this machine's interfaces, in a network namespace of
# the case's own.

# The whole road: the tool starts a capture on the default route's interface, echoes pass,
# the workbench stops it (the tool stops only what its own process started; the workbench
# stops the helper that runs, live or not by its own choice) and copies it to the USB stick,
# and the copy holds the packets.
# Rules held: the workbench's stop leaves the keys as the tool's stop does, so that the start
# key starts again (not "already running"); stop and status say where the file is; export
# copies only a capture that has stopped.
case echoes-through-the-tool
  needs root
  namespace net
  env BRELTA_LIVE=capture
  usb media/usb0 Stick
  $ ip route add default dev lo
  run brelta.keycombination.tcpdumpstart
  unset BRELTA_LIVE
  records system TCPDumpHandler.cpp
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [connection_create success]
    TCPDumpHandler.cpp: Start >
  $ cat network/tcpdump; echo; brelta-device capture status; brelta-device capture export; send-packets echo 3; brelta-device capture stop; brelta-device capture status | head -n 1; cat network/tcpdump
    running
    running on lo \(pid \d+\) (re)
    file: $ROOT/opt/usr/data/network/tcpdump-[time].pcap; each start overwrites it, and brelta-device capture export copies it to the first USB storage device
    brelta-device: the capture runs \(pid \d+\): stop it first \(brelta-device capture stop\) (re)
    stopped
    file: $ROOT/opt/usr/data/network/tcpdump-[time].pcap; each start overwrites it, and brelta-device capture export copies it to the first USB storage device
    stopped
    stopped
  keys
    memory/Brelta/tcpdump_running_status: int 0
    memory/menu/network/screenmirroring/capture_tsdump: int 0
  $ brelta-device capture export && tcpdump -t -nn -r 'media/usb0/tcpdump-[time].pcap'
    copied to $ROOT/media/usb0/tcpdump-[time].pcap
    reading from file media/usb0/tcpdump-[time].pcap, link-type EN10MB (Ethernet), snapshot length 262144
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 0, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 0, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 1, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 1, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 2, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 2, length 14
  env BRELTA_LIVE=capture
  run brelta.keycombination.tcpdumpstart
  journal
    {"op":"post","id":2,"pid":$PID2,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[2]}
  $ brelta-device capture stop | head -n 1
    stopped

# Rule held: the helper gives up its privileges once the capture is open, as tcpdump -Z does.
# It becomes the owner of $ROOT/network (here a user's: uid, gid, no supplementary group) or
# stays root on a root of root's, with no capability in any set and no_new_privs either way.
# What it writes before (pid file, "running") is the starter's; what it writes after, at its
# own end ("stopped", its pid file removed), it writes as that owner, through the directories
# it opened before; its capture file is the owner's.
case privileges-given-up
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write network/capture_interface lo
  $ chown 4242:4243 . network; brelta-device capture start; p=$(cut -d' ' -f1 network/capture.pid); grep -E '^(Uid|Gid|Groups|CapInh|CapPrm|CapEff|CapBnd|CapAmb|NoNewPrivs):' /proc/$p/status | tr -s '\t ' ' '; stat -c '%n %u' network/capture.pid network/tcpdump 'opt/usr/data/network/tcpdump-[time].pcap'
    Uid: 4242 4242 4242 4242
    Gid: 4243 4243 4243 4243
    Groups:\x20
    CapInh: 0000000000000000
    CapPrm: 0000000000000000
    CapEff: 0000000000000000
    CapBnd: 0000000000000000
    CapAmb: 0000000000000000
    NoNewPrivs: 1
    network/capture.pid 0
    network/tcpdump 0
    opt/usr/data/network/tcpdump-[time].pcap 4242
  # Ended by itself (a signal: not the platform's stop, which writes as root).
  $ kill "$(cut -d' ' -f1 network/capture.pid)"; until [ ! -e network/capture.pid ]; do sleep 0.01; done; ls network; cat network/tcpdump; echo; stat -c '%n %u' network/tcpdump
    capture.lock
    capture_interface
    tcpdump
    stopped
    network/tcpdump 4242
  $ chown 0:0 . network; brelta-device capture start; p=$(cut -d' ' -f1 network/capture.pid); grep -E '^(Uid|Gid|CapPrm|CapEff|CapBnd|NoNewPrivs):' /proc/$p/status | tr -s '\t ' ' '
    Uid: 0 0 0 0
    Gid: 0 0 0 0
    CapPrm: 0000000000000000
    CapEff: 0000000000000000
    CapBnd: 0000000000000000
    NoNewPrivs: 1
  $ kill "$(cut -d' ' -f1 network/capture.pid)"; until [ ! -e network/capture.pid ]; do sleep 0.01; done; cat network/tcpdump
    stopped

# Rule held: root on a root that another user may write follows none of that user's links:
# at the capture file, the pid file or the state file a link is replaced (they are written
# by rename), at the lock or at a directory on the way it fails the start, behind the capture
# file it fails the stop's cut; nothing outside the root is read, written or made. The user's
# own programs follow the links of the user's own root. Root's export copies as that user.
case links-of-another-user
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write network/capture_interface lo
  $ chmod 755 ..; printf precious > ../victim; mkdir ../dir; printf '\324\303\262\241\2\0\4\0\0\0\0\0\0\0\0\0\0\0\4\0\1\0\0\0cut' > ../victim.pcap; chown -R 4242:4242 .
  $ u() { setpriv --reuid=4242 --regid=4242 --clear-groups "$@"; }; u mkdir -p opt/usr/data/network; for f in 'opt/usr/data/network/tcpdump-[time].pcap' network/capture.pid network/tcpdump; do u ln -s "$ROOT/../victim" "$f"; done; brelta-device capture start && brelta-device capture stop | head -n 1; cat ../victim; echo; find . -type l
    stopped
    precious
  $ rm network/capture.lock; setpriv --reuid=4242 --regid=4242 --clear-groups ln -s "$ROOT/../made" network/capture.lock; brelta-device capture start
    brelta: capture: $ROOT/network/capture.lock: a symbolic link that is not followed (the file itself, or one on its way in a directory that another user may change)
    brelta-device: the capture did not start
    [1]
  $ rm network/capture.lock opt/usr/data/network/*; u() { setpriv --reuid=4242 --regid=4242 --clear-groups "$@"; }; u rmdir opt/usr/data/network; u ln -s "$ROOT/../dir" opt/usr/data/network; brelta-device capture start
    brelta: capture: cannot write $ROOT/opt/usr/data/network/tcpdump-[time].pcap: a symbolic link that is not followed (the file itself, or one on its way in a directory that another user may change)
    brelta-device: the capture did not start
    [1]
  $ rm opt/usr/data/network; u() { setpriv --reuid=4242 --regid=4242 --clear-groups "$@"; }; u mkdir opt/usr/data/network; u ln -s "$ROOT/../victim.pcap" 'opt/usr/data/network/tcpdump-[time].pcap'; brelta-device capture stop; stat -c %s ../victim.pcap; ls -A ../dir; ls ..
    brelta: capture: $ROOT/opt/usr/data/network/tcpdump-[time].pcap: a symbolic link that is not followed (the file itself, or one on its way in a directory that another user may change)
    brelta-device: the capture did not stop cleanly
    27
    bin
    dir
    home
    root
    victim
    victim.pcap
  # The user's own links: followed for the user, not for root (the emulated stop writes the
  # state file through a link of the root to a folder of its own).
  $ u() { setpriv --reuid=4242 --regid=4242 --clear-groups "$@"; }; rm -r network; u mkdir state; u ln -s state network; BRELTA_LIVE= u brelta-device capture stop | head -n 1; cat state/tcpdump; echo; BRELTA_LIVE= brelta-device capture stop
    stopped
    stopped
    brelta: capture: $ROOT/network/capture.lock: a symbolic link that is not followed (the file itself, or one on its way in a directory that another user may change)
    brelta-device: the capture did not stop cleanly
    [1]
  # Root's export copies as the owner of the root: a stick of root's is refused, one of the
  # user's is written, the copy theirs.
  usb ../dir Root's
  $ rm 'opt/usr/data/network/tcpdump-[time].pcap'; printf '\324\303\262\241' > 'opt/usr/data/network/tcpdump-[time].pcap'; brelta-device capture export
    brelta-device: cannot write $ROOT/../dir/tcpdump-[time].pcap: Permission denied (copied as user 4242, who owns the device root)
    [1]
  $ printf '' > usb/devices; setpriv --reuid=4242 --regid=4242 --clear-groups mkdir stick; brelta-device usb attach "$ROOT/stick"; brelta-device capture export; stat -c '%u %s' 'stick/tcpdump-[time].pcap'
    copied to $ROOT/stick/tcpdump-[time].pcap
    4242 4

# The capture ends by itself: at 1,048,576 bytes, with the packets that fit whole, and at its
# time limit (one second; the default of ten minutes would outlast the wait). Stopped, it
# keeps the packets that came just before the stop, with the default limit again: no
# verdict may hang on a second's race with the limit.
case ends
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write network/capture_interface lo
  $ brelta-device capture start && until [ "$(cat network/tcpdump)" = stopped ]; do send-packets udp 10 60000; done
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; stat -c %s "$F"; tcpdump -r "$F" 2>/dev/null | wc -l; brelta-device capture status | head -n 1
    1021010
    17
    stopped
  write network/capture_seconds 1
  $ brelta-device capture start
  await network/tcpdump stopped
  $ brelta-device capture status | head -n 1
    stopped
  write network/capture_seconds 600
  $ brelta-device capture start; send-packets udp 5 100 --stop network/capture.pid; until [ "$(cat network/tcpdump)" = stopped ]; do sleep 0.01; done; tcpdump -r 'opt/usr/data/network/tcpdump-[time].pcap' 2>/dev/null | wc -l
    5

# A helper killed while packets flow leaves a file that reads to its last whole packet; the
# capture counts as stopped, and a stop tidies up after it.
case killed-mid-capture
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write network/capture_interface lo
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; brelta-device capture start; send-packets udp 2000 200 0.001 > /dev/null 2>&1 & until [ "$(stat -c %s "$F")" -gt 40000 ]; do sleep 0.01; done; kill -9 "$(cut -d' ' -f1 network/capture.pid)"; wait; tcpdump -r "$F" > /dev/null 2>&1; echo "read: $?"; brelta-device capture status | head -n 1; cat network/tcpdump; echo; brelta-device capture stop | head -n 1; cat network/tcpdump
    read: 0
    stopped
    running
    stopped
    stopped

# A start that cannot capture fails as the service would, says why, and leaves nothing
# running: no default route (the namespace's own IPv6 one is a reject route; a real IPv6 one
# will do), no CAP_NET_RAW, an interface that is not there.
# Rule held: `live list` says missing where a start would fail, and names the interface a
# capture would use.
case refused
  needs root
  namespace net
  env BRELTA_LIVE=capture
  $ brelta-device live list | grep ^capture; brelta-device capture start
    capture^Ilive^Imissing^Ino default route, so no interface to capture on (name one): every start fails
    brelta: capture: no default route, so no interface to capture on (name one)
    brelta-device: the capture did not start
    [1]
  $ ip link add v0 type veth peer name v1 && ip link set v0 up && ip link set v1 up && ip -6 route add default dev v0 && brelta-device live list | grep ^capture && brelta-device capture start && brelta-device capture status | head -n 1 && brelta-device capture stop | head -n 1
    capture\^Ilive\^Iready\^Ithe capture helper /.*/libexec/brelta-test-tool/brelta-capture, on v0 \(the default route's\) (re)
    running on v0 \(pid \d+\) (re)
    stopped
  $ echo nosuch0 > network/capture_interface; brelta-device live list | grep ^capture; echo v1 > network/capture_interface; ip link set v1 down; brelta-device live list | grep ^capture; brelta-device capture start
    capture^Ilive^Imissing^Icannot capture on nosuch0: no such interface: every start fails
    capture^Ilive^Imissing^Icannot capture on v1: the interface is not up: every start fails
    brelta: capture: cannot capture on v1: the interface is not up
    brelta-device: the capture did not start
    [1]
  $ echo lo > network/capture_interface; setpriv --inh-caps=-net_raw --bounding-set=-net_raw brelta-device capture start
    brelta: capture: cannot capture on lo: not permitted (root or CAP_NET_RAW is needed)
    brelta-device: the capture did not start
    [1]
  write network/capture_interface nosuch0
  run brelta.keycombination.tcpdumpstart
    brelta: capture: cannot capture on nosuch0: no such interface
  records system TCPDumpHandler.cpp
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [connection_create success]
    TCPDumpHandler.cpp: Start > Failed to start tcpdump
    TCPDumpHandler.cpp: Start >
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump failed to start ","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}
  $ brelta-device capture status | head -n 1; ls network
    stopped
    capture.lock
    capture_interface
    tcpdump

# A stop cuts a file that a killed capture left with part of a record back to its whole ones,
# and never signals a process that the pid file names but that is not the capture.
# Rule held: a stop signals only a process that is provably this root's helper: the pid file
# is no link, no FIFO, and (for root) root's own; the process has the file's start time, runs
# the installed helper's program (compared as a file) as the owner of $ROOT/network.
# Anything else fails the stop (exit 1) with nothing signalled, and status does not call it
# running. A pid file whose process has ended (or whose pid another process reuses) is stale:
# the stop goes on.
case stop-after-a-kill
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write opt/usr/data/network/tcpdump-[time].pcap \xd4\xc3\xb2\xa1\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x04\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0e\x00\x00\x00\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x64\x00\x00\x00\x64\x00\x00\x00\x45\x00
  $ sleep 60 > /dev/null 2>&1 & mkdir -p network; echo "$! 1 lo" > network/capture.pid; brelta-device capture status | head -n 1; brelta-device capture stop | head -n 1; kill -0 $! && echo "not signalled"; kill $!
    stopped
    stopped
    not signalled
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; stat -c %s "$F"; tcpdump -t -r "$F" 2>&1
    54
    reading from file opt/usr/data/network/tcpdump-[time].pcap, link-type EN10MB (Ethernet), snapshot length 262144
     [|ip]
  $ t() { sleep 0.1; [ "$(cut -d' ' -f3 /proc/$1/stat)" != Z ] && echo "not signalled"; kill $1; }; sleep 60 > /dev/null 2>&1 & echo "$! $(cut -d' ' -f22 /proc/$!/stat) lo" > network/capture.pid; brelta-device capture status | head -n 1; brelta-device capture stop; t $!
    brelta-device: warning: process \d+ is not the capture helper .*/brelta-capture \(its program is /usr/bin/sleep\): not the capture, and a stop refuses to signal it (re)
    stopped
    brelta: capture: process \d+ is not the capture helper .*/brelta-capture \(its program is /usr/bin/sleep\); nothing signalled (re)
    brelta-device: the capture did not stop cleanly
    not signalled
  $ t() { sleep 0.1; [ "$(cut -d' ' -f3 /proc/$1/stat)" != Z ] && echo "not signalled"; kill $1; }; setpriv --reuid=4242 sleep 60 > /dev/null 2>&1 & echo "$! $(cut -d' ' -f22 /proc/$!/stat) lo" > network/capture.pid; brelta-device capture stop; t $!; sleep 60 > /dev/null 2>&1 & echo "$! $(cut -d' ' -f22 /proc/$!/stat) lo" > network/capture.pid; chown 4242 network/capture.pid; brelta-device capture stop; t $!
    brelta: capture: process \d+ runs as user 4242, not as the owner of \$ROOT/network \(user 0\); nothing signalled (re)
    brelta-device: the capture did not stop cleanly
    not signalled
    brelta: capture: $ROOT/network/capture.pid belongs to user 4242, neither to this user nor to root; nothing signalled
    brelta-device: the capture did not stop cleanly
    not signalled
  $ rm network/capture.pid; mkfifo network/capture.pid; brelta-device capture stop; rm network/capture.pid; ln -s /proc/self/stat network/capture.pid; brelta-device capture stop
    brelta: capture: $ROOT/network/capture.pid: not a regular file; nothing signalled
    brelta-device: the capture did not stop cleanly
    brelta: capture: $ROOT/network/capture.pid: a symbolic link that is not followed (the file itself, or one on its way in a directory that another user may change); nothing signalled
    brelta-device: the capture did not stop cleanly
    [1]
