# The live capture: brelta-capture on this machine's interfaces, in a network namespace of
# the case's own.

# The whole road: the tool starts a capture on the default route's interface, echoes pass,
# the workbench stops it (the tool stops only what its own process started; the workbench
# stops the helper that runs, live or not by its own choice), and the file holds the packets.
case echoes-through-the-tool
  needs root
  namespace net
  env BRELTA_LIVE=capture
  $ ip route add default dev lo
  run brelta.keycombination.tcpdumpstart
  unset BRELTA_LIVE
  records system TCPDumpHandler.cpp
    TCPDumpHandler.cpp: Start >
    TCPDumpHandler.cpp: Start > [connection_create success]
    TCPDumpHandler.cpp: Start >
  $ cat network/tcpdump; echo; brelta-device capture status; send-packets echo 3; brelta-device capture stop; brelta-device capture status; cat network/tcpdump
    running
    running on lo \(pid \d+\) (re)
    stopped
    stopped
  $ tcpdump -t -nn -r 'opt/usr/data/network/tcpdump-[time].pcap'
    reading from file opt/usr/data/network/tcpdump-[time].pcap, link-type EN10MB (Ethernet), snapshot length 262144
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 0, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 0, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 1, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 1, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo request, id 183, seq 2, length 14
    IP 127.0.0.1 > 127.0.0.1: ICMP echo reply, id 183, seq 2, length 14

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
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; stat -c %s "$F"; tcpdump -r "$F" 2>/dev/null | wc -l; brelta-device capture status
    1021010
    17
    stopped
  write network/capture_seconds 1
  $ brelta-device capture start
  await network/tcpdump stopped
  $ brelta-device capture status
    stopped
  $ rm network/capture_seconds
  $ brelta-device capture start; send-packets udp 5 100 --stop network/capture.pid; until [ "$(cat network/tcpdump)" = stopped ]; do sleep 0.01; done; tcpdump -r 'opt/usr/data/network/tcpdump-[time].pcap' 2>/dev/null | wc -l
    5

# A helper killed while packets flow leaves a file that reads to its last whole packet; the
# capture counts as stopped, and a stop tidies up after it.
case killed-mid-capture
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write network/capture_interface lo
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; brelta-device capture start; send-packets udp 2000 200 0.001 > /dev/null 2>&1 & until [ "$(stat -c %s "$F")" -gt 40000 ]; do sleep 0.01; done; kill -9 "$(cut -d' ' -f1 network/capture.pid)"; wait; tcpdump -r "$F" > /dev/null 2>&1; echo "read: $?"; brelta-device capture status; cat network/tcpdump; echo; brelta-device capture stop; cat network/tcpdump
    read: 0
    stopped
    running
    stopped

# A start that cannot capture fails as the service would, says why, and leaves nothing
# running: no default route (the namespace's own IPv6 one is a reject route; a real IPv6 one
# will do), no CAP_NET_RAW, an interface that is not there.
case refused
  needs root
  namespace net
  env BRELTA_LIVE=capture
  $ brelta-device capture start
    brelta: capture: no default route, so no interface to capture on (name one)
    brelta-device: the capture did not start
    [1]
  $ ip link add v0 type veth peer name v1 && ip link set v0 up && ip link set v1 up && ip -6 route add default dev v0 && brelta-device capture start && brelta-device capture status && brelta-device capture stop
    running on v0 \(pid \d+\) (re)
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
  $ brelta-device capture status; ls network
    stopped
    capture.lock
    capture_interface
    tcpdump

# A stop cuts a file that a killed capture left with part of a record back to its whole ones,
# and never signals a process that the pid file names but that is not the capture.
case stop-after-a-kill
  needs root
  namespace net
  env BRELTA_LIVE=capture
  write opt/usr/data/network/tcpdump-[time].pcap \xd4\xc3\xb2\xa1\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x04\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0e\x00\x00\x00\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00\x64\x00\x00\x00\x64\x00\x00\x00\x45\x00
  $ sleep 60 > /dev/null 2>&1 & mkdir -p network; echo "$! 1 lo" > network/capture.pid; brelta-device capture status; brelta-device capture stop; kill -0 $! && echo "not signalled"; kill $!
    stopped
    not signalled
  $ F='opt/usr/data/network/tcpdump-[time].pcap'; stat -c %s "$F"; tcpdump -t -r "$F" 2>&1
    54
    reading from file opt/usr/data/network/tcpdump-[time].pcap, link-type EN10MB (Ethernet), snapshot length 262144
     [|ip]
