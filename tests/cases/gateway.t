# The default-gateway test: the check's answers, the retries, and the popup they lead to.

case pass
  write network/default_gateway 1
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 1
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>"],["timeout","30"]],"result":0}

# Still in progress three times, then yes: four checks, three quarter-second sleeps, PASS.
case in-progress-then-pass
  write network/default_gateway 1
  fault connection_profile_check_default_gateway -115 -115 -115
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 1
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  between "IN PROGRESS" "Hidden Network Test" 0.75 1.5

# Ten answers in progress end the checks with the flag as the last call left it (unset): FAIL.
case in-progress-ten-times
  write network/default_gateway 1
  fault connection_profile_check_default_gateway -115 -115 -115 -115 -115 -115 -115 -115 -115 -115
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 0
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  between "IN PROGRESS" "Hidden Network Test" 2.25 3.5
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>"],["timeout","30"]],"result":0}

case check-fails
  write network/default_gateway 1
  fault connection_profile_check_default_gateway -12
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Current State =>[Default Gateway Failed];Next Action =>[Retry]: -12
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 0
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>"],["timeout","30"]],"result":0}

case no-gateway
  write network/default_gateway 0
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 0
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>"],["timeout","30"]],"result":0}

case connection-fails
  write network/default_gateway 1
  fault connection_create -1
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Connection create Failed
    NW_Hidden_Key.cpp: ShowPopup > Succeeded to launch alert popup.
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>"],["timeout","30"]],"result":0}

case popup-refused
  write network/default_gateway 1
  fault app_control_send_launch_request -3
  run brelta.keycombination.gateway
  records system NW_Hidden_Key.cpp
    NW_Hidden_Key.cpp: CNWHiddenKey >
    NW_Hidden_Key.cpp: Execute >
    NW_Hidden_Key.cpp: _TestNetwork > Hidden Network Test 1
    NW_Hidden_Key.cpp: ShowPopup > Failed to launch alert popup
    NW_Hidden_Key.cpp: ~CNWHiddenKey >
  launches
    {"pid":$PID,"app_id":"org.tizen.alert-syspopup","operation":"http://tizen.org/appcontrol/operation/default","extra":[["type","notification"],["text","<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>"],["timeout","30"]],"result":-3}

# Without the override file the host's own routing table answers.
case routing-table
  run brelta.keycombination.gateway
  $ ip -4 route show default | grep -q . && want=PASS || want=FAIL; grep -c "TEST : $want" apps/launches
    1
