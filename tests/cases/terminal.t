# What a person sees when the tool's standard error is a terminal: every record, escaped; a
# toast drawn as a box with its default button marked; the alert popup in its colour.

case records-and-toast
  $ script -qec 'stty cols 100 rows 40; brelta_test_tool brelta.keycombination.tcpdumpstart' /dev/null > screen; grep -v 'I/BRELTA_' screen
    ┌─ notification 1 ─────────────────────────────┐
    │ TCP Dump tool                                │
    │                                              │
    │ tcp dump and ts dump start successfully      │
    │                                              │
    │ [>OK<]                                       │
    └──────────────────────────────────────────────┘
      brelta-device --root '$ROOT' toast press 1 1   presses "OK"
  $ grep -c 'I/BRELTA_' screen; cat log/main log/system | wc -l
    27
    27

case escaped-id-and-popup
  write network/default_gateway 0
  $ script -qec "brelta_test_tool '$(printf '\033[2J\033[31mred')'" /dev/null | grep -o 'arg .*'
    arg \x1b[2J\x1b[31mred
  $ script -qec 'brelta_test_tool brelta.keycombination.gateway' /dev/null | grep -v 'I/BRELTA_'
    [launch] org.tizen.alert-syspopup (http://tizen.org/appcontrol/operation/default)
        type = notification
        ^[[1;38;2;255;0;0mNETWORK TEST : FAIL^[[0m
        timeout = 30
  $ for env in NO_COLOR=1 TERM=dumb; do env $env script -qec 'brelta_test_tool brelta.keycombination.gateway' /dev/null | grep 'NETWORK TEST'; done
        NETWORK TEST : FAIL
        NETWORK TEST : FAIL

# Not a terminal: nothing is drawn.
case not-a-terminal
  run brelta.keycombination.tcpdumpstart
