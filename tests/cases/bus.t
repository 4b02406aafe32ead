# The command id as the tool's name on the system bus.

case name-owned-while-running
  bus
  start brelta.keycombination.ndf
  $ until gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner brelta.keycombination.ndf | grep -q true; do sleep 0.02; done
  wait
  $ gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner brelta.keycombination.ndf
    (false,)

# No system bus at all is a normal run.
case no-bus
  unset DBUS_SYSTEM_BUS_ADDRESS
  run brelta.keycombination.ndf
  records system brelta_test_tool.cpp
    brelta_test_tool.cpp: main > start work !! => arg brelta.keycombination.ndf
    brelta_test_tool.cpp: own_name > own bus brelta.keycombination.ndf
    brelta_test_tool.cpp: main > work finish!! exit!!
