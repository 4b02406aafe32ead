# Start, dispatch and teardown of the tool, seen through its records.

# An unknown id ends at once, with the teardown records and nothing scheduled. The id is the
# last argument; those before it are ignored.
case unknown-id
  run brelta.keycombination.gateway brelta.keycombination.nothing
  records system
    brelta_test_tool.cpp: main > start work !! => arg brelta.keycombination.nothing
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: update_region > failed to get current region format for set region env
    brelta_test_tool.cpp: own_name > own bus brelta.keycombination.nothing
    CTaskManager.cpp: Init > invalid argument
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
    brelta_test_tool.cpp: main > work finish!! exit!!

# Without an argument the program's own name is the id; an empty id is unknown too.
case no-argument
  run
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg brelta_test_tool
    brelta_test_tool.cpp: own_name > own bus brelta_test_tool
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!
  run ""
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg\x20
    brelta_test_tool.cpp: own_name > own bus\x20
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!

# `--help` is an id like any other, and no bus name: GLib refuses the name, as it refuses every
# id that is none, and that refusal is expected, so nothing reaches the terminal (the run's
# output is empty) and the records are those of any unknown id. Under
# G_DEBUG=fatal-criticals the refusal ends no run either, while any other critical of GLib
# still shows and still ends the process: the probe, prepared as the tool is, asks for the name
# and then misuses GLib, and prints "done" at its end.
case help-and-ids-that-are-no-bus-name
  run --help
  records system
    brelta_test_tool.cpp: main > start work !! => arg --help
    i18n.c: i18n_init > Enter i18n_init
    i18n.c: update_lang > failed to get current language for set lang env
    i18n.c: update_region > failed to get current region format for set region env
    brelta_test_tool.cpp: own_name > own bus --help
    CTaskManager.cpp: Init > invalid argument
    i18n.c: i18n_del > DeRegistering i18n_del vconf callbacks\x20
    brelta_test_tool.cpp: main > work finish!! exit!!
  env G_DEBUG=fatal-criticals
  run brelta..keycombination.gateway
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg brelta..keycombination.gateway
    brelta_test_tool.cpp: own_name > own bus brelta..keycombination.gateway
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!
  $ for debug in "" fatal-criticals; do G_DEBUG=$debug brelta-glib-log-probe --help 2>&1 | grep -o 'GLib.*\|^done'; done 2>/dev/null
    GLib-GIO-CRITICAL **: <time>: g_bus_unown_name: assertion 'owner_id > 0' failed
    done
    GLib-GIO-CRITICAL **: <time>: g_bus_unown_name: assertion 'owner_id > 0' failed

# Ids that are no bus name and text that a log must not let through: logged as they came,
# escaped where they would break a record, and refused.
case hostile-ids
  run "%s%n%s%n%x"
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg %s%n%s%n%x
    brelta_test_tool.cpp: own_name > own bus %s%n%s%n%x
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!
  run "brelta.keycombination.gateway\nsecond line"
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg brelta.keycombination.gateway\x0asecond line
    brelta_test_tool.cpp: own_name > own bus brelta.keycombination.gateway\x0asecond line
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!
  run "\x1b[31mred\x1b[0m \xc2\x9b2J \xe2\x80\xaeevil \xc4\x80"
  records system brelta_test_tool.cpp CTaskManager.cpp
    brelta_test_tool.cpp: main > start work !! => arg \x1b[31mred\x1b[0m \xc2\x9b2J \xe2\x80\xaeevil Ā
    brelta_test_tool.cpp: own_name > own bus \x1b[31mred\x1b[0m \xc2\x9b2J \xe2\x80\xaeevil Ā
    CTaskManager.cpp: Init > invalid argument
    brelta_test_tool.cpp: main > work finish!! exit!!
  run "\xff\xfe\x9b\xc3"
  $ grep -o 'arg .*' log/system | tail -n 1 | cat -v
    arg M-^?M-~\x9bM-C
  $ brelta_test_tool "$(head -c 120000 /dev/zero | tr '\0' x)" 2>/dev/null; awk 'length > 120000' log/system | wc -l
    2

# Every id at once on one root, the capture's starts and stops interleaved: each makes its
# task and waits its 5 s, nothing the runs share is lost or torn (the runner checks every
# record and journal line), and no key is left half-written.
case every-id-at-once
  set db/menu_widget/language string en_US.UTF-8
  write network/default_gateway 1
  usb media/usb0 Stick
  start-ids 5
  start brelta.keycombination.tcpdumpstart
  start brelta.keycombination.tcpdumpstop
  start brelta.keycombination.wifilist
  wait
  $ grep -o ': ~[A-Za-z]*\|EXITING in .*\|invalid argument\|work finish.*' log/system | sort | uniq -c
          1 : ~CEURegulationRSE
          1 : ~CNDFPopup
          1 : ~CNWErrorPopup
          1 : ~CNWHiddenKey
          1 : ~CNWWiFiList
          4 : ~CTCPDumpTask
          1 : ~NWLowPowerHandler
         10 EXITING in 5 seconds ...
          1 invalid argument
         11 work finish!! exit!!
  $ find settings -name '.*'; grep -Lr '^\(int\|bool\|string\) .*$' settings

# Files where the platform's directories should be: every call fails quietly, exit 0.
case unusable-root
  write log x
  write settings x
  run brelta.keycombination.gateway
  env BRELTA_DEVICE_ROOT=$ROOT/log/sub
  run brelta.keycombination.gateway

# Without BRELTA_DEVICE_ROOT the root is $XDG_STATE_HOME/brelta-device, else under $HOME.
case default-root
  unset BRELTA_DEVICE_ROOT
  env XDG_STATE_HOME=$ROOT/state
  run brelta.keycombination.x
  unset XDG_STATE_HOME
  env HOME=$ROOT/home
  run brelta.keycombination.x
  $ ls state/brelta-device/log home/.local/state/brelta-device/log
    home/.local/state/brelta-device/log:
    system
    
    state/brelta-device/log:
    system
