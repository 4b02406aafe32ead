# The toast as a desktop notification: a private session bus with python3-dbusmock's
# notification server.

# Posted, closed by the tool's deletion; posted, pressed, then closed by the server as a
# real one does after a press (no second event). Another program's notification comes
# first, so that the server's ids are not the tool's.
case notify-close-press
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body actions"}
  env BRELTA_LIVE=toast
  env N=gdbus call --session --dest org.freedesktop.Notifications --object-path /org/freedesktop/Notifications --method
  $ $N org.freedesktop.Notifications.Notify other 0 '' x y '[]' '{}' 0
    (uint32 1,)
  set memory/Brelta/tcpdump_running_status int 1
  run brelta.keycombination.tcpdumpstart
  journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcpdump is already running","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[1]}
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":2,
  $ $N org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications ActionInvoked us '[<uint32 3>, <"default">]'
    ()
  $ $N org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications NotificationClosed uu '[<uint32 3>, <uint32 2>]'
    ()
  wait
  journal
    {"op":"post","id":2,"pid":$PID2,"type":0,"title":"TCP Dump tool","content":"tcpdump is already running","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"event","id":2,"pid":$PID2,"event":0}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[]}
  $ cut -d ' ' -f 2- "$MOCK_LOG"
    Notify "other" 0 "" "x" "y" [] {} 0
    GetCapabilities
    Notify "brelta_test_tool" 0 "" "TCP Dump tool" "tcpdump is already running" ["default", "OK"] {"urgency": 1} 60000
    CloseNotification 2
    emit /org/freedesktop/Notifications org.freedesktop.Notifications.NotificationClosed 2 1
    GetCapabilities
    Notify "brelta_test_tool" 0 "" "TCP Dump tool" "tcpdump is already running" ["default", "OK"] {"urgency": 1} 60000
    emit /org/freedesktop/Notifications org.freedesktop.Notifications.ActionInvoked 3 "default"
    emit /org/freedesktop/Notifications org.freedesktop.Notifications.NotificationClosed 3 2

# What the server reports reaches the tool as the TV's service reports it: expired 101,
# dismissed 100, closed by someone else 102, button 2 pressed 1. A run each, one after
# another: the server's ids are the tool's here.
case server-events
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body actions"}
  env BRELTA_LIVE=toast
  env N=gdbus call --session --dest org.freedesktop.Notifications --object-path /org/freedesktop/Notifications --method org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.Notifications
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":1,
  $ $N NotificationClosed uu '[<uint32 1>, <uint32 1>]'
    ()
  await notifications/journal "event":101
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":2,
  $ $N NotificationClosed uu '[<uint32 2>, <uint32 2>]'
    ()
  await notifications/journal "event":100
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":3,
  $ $N NotificationClosed uu '[<uint32 3>, <uint32 3>]'
    ()
  await notifications/journal "event":102
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "id":4,
  $ $N ActionInvoked us '[<uint32 4>, <"2">]'
    ()
  wait
  $ grep -o '"id":[0-9]*,"pid":[^,]*,"event":[0-9]*' notifications/journal
    "id":1,"pid":$PID,"event":101
    "id":2,"pid":$PID2,"event":100
    "id":3,"pid":$PID3,"event":102
    "id":4,"pid":$PID4,"event":1

# No session bus, or a server without actions: the post fails as the TV's service fails it,
# and the tool says so on standard error.
case no-bus-no-actions
  env BRELTA_LIVE=toast
  start brelta.keycombination.tcpdumpstart
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body"}
  run brelta.keycombination.tcpdumpstop
    brelta: toast: no session bus: Could not connect: No such file or directory
    brelta: toast: the notification server has no "actions" capability: no button could be pressed
  $ grep -c 'Fail to show popup' log/main
    2
  $ cut -d , -f 1 notifications/journal
    {"op":"delete_all"
    {"op":"delete_all"

# A server that leaves mid-toast hides it from outside (102); one that stops answering
# fails the post after the call's time limit.
case server-dies-or-stalls
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body actions"}
  env BRELTA_LIVE=toast
  start brelta.keycombination.tcpdumpstart
  await notifications/journal "op":"post"
  $ kill $MOCK_PID
  await notifications/journal "event":102
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body actions"}
  $ kill -STOP $MOCK_PID
  run brelta.keycombination.tcpdumpstop
    brelta: toast: the notification server left the session bus
    brelta: toast: the notification server did not take GetCapabilities: Timeout was reached
  $ grep -c 'Fail to show popup' log/main
    1
  $ cat notifications/journal
    {"op":"post","id":1,"pid":$PID,"type":0,"title":"TCP Dump tool","content":"tcp dump and ts dump start successfully","image":null,"buttons":[{"button":1,"text":"OK","image":null}],"default_button":1,"display_applist":16,"layout":1,"hide_timeout":60}
    {"op":"event","id":1,"pid":$PID,"event":102}
    {"op":"delete_all","pid":$PID,"type":0,"ids":[]}
    {"op":"delete_all","pid":$PID2,"type":0,"ids":[]}
