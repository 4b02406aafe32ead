# The screen's forms and buttons change the root through the same model as the workbench:
# what `brelta-device` refuses, the page cannot do either, with the same words. Under a
# file-size limit, a write that passes it fails the request, not the server. `post PATH
# JSON` prints the answer and its HTTP status.

case actions-are-the-models
  write ../post u=$(grep -o 'http://[^/]*' ../url); t=$(grep -o 'token=[0-9a-f]*' ../url | cut -d= -f2); curl -s -w ' %{http_code}\n' -H "X-Brelta-Token: $t" -H 'Content-Type: application/json' --data-binary "$2" "$u$1"
  $ (ulimit -f 1; exec timeout 60 brelta-device screen > ../url 2>&1) & echo $! > ../screen; for i in $(seq 400); do grep -qs token= ../url && break; sleep 0.05; done
  $ for body in '{"key":"a/b\nc","type":"int","value":"1"}' '{"key":"a/on","type":"bool","value":"true"}' '{"key":"a/big","type":"string","value":"'$(head -c 3000 /dev/zero | tr '\0' x)'"}'; do sh ../post /api/setting "$body"; done; cat settings/a/on; ls -A settings/a
    {"error":"'a/b\\x0ac' is not a settings key: keys hold no control characters"} 400
    {"message":"done"} 200
    {"error":"cannot write a/big: File too large"} 500
    bool 1
    on
  # The remote's "stop and copy": the workbench's stop and export (the tool's stop key copies
  # nothing in a run of its own).
  $ sh ../post /api/capture '{}'; mkdir stick; sh ../post /api/usb "{\"attach\":\"$ROOT/stick\"}"; sh ../post /api/capture '{}'; sh ../post /api/usb "{\"detach\":\"$ROOT/stick\"}"; od -An -tx1 'stick/tcpdump-[time].pcap' | head -n 1; cat settings/memory/Brelta/tcpdump_running_status
    {"error":"stopped, but not copied: no USB storage device is attached"} 400
    {"message":"done"} 200
    {"message":"stopped; copied to $ROOT/stick/tcpdump-[time].pcap"} 200
    {"message":"done"} 200
     d4 c3 b2 a1 02 00 04 00 00 00 00 00 00 00 00 00
    int 0
  $ sh ../post /api/fault '{"function":"no_such_function","values":[1]}' | cut -c1-60; sh ../post /api/usb '{"attach":"/media/usb0"}'; sh ../post /api/usb '{"attach":"/media/usb0"}'; sh ../post /api/toast '{"id":1,"event":0}'; cat usb/devices
    {"error":"'no_such_function' takes no fault script; these do
    {"message":"done"} 200
    {"error":"/media/usb0 is already attached"} 400
    {"error":"notification 1 is not on screen"} 400
    /media/usb0^IUSB Storage
  # The page follows the root through its removal: a record written into the new root reaches it.
  $ u=$(grep -o 'http://[^/]*' ../url); t=$(grep -o 'token=[0-9a-f]*' ../url | cut -d= -f2); timeout 60 curl -sN -H "X-Brelta-Token: $t" "$u/events" > ../events 2>&1 & echo $! >> ../screen; until grep -qs '^event: log' ../events; do sleep 0.02; done; rm -rf "$ROOT" && mkdir -p "$ROOT/log" && echo '2026-12-05T13:46:51.000Z 1 I/T: after the root came back' > "$ROOT/log/system"; until grep -q 'after the root came back' ../events; do sleep 0.02; done; echo seen
    seen
  $ kill $(cat ../screen)
