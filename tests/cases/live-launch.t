# Launch requests on the desktop: python3-dbusmock's notification server on a private session
# bus, and desktop files in a data directory of the case's own.

# The alert popup as a notification, critical when it says FAIL (the second run starts once
# the first one's popup is up).
case popup
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body"}
  env BRELTA_LIVE=launch
  write network/default_gateway 1
  start brelta.keycombination.gateway
  await apps/launches "pid"
  write network/default_gateway 0
  run brelta.keycombination.gateway
  $ cut -d ' ' -f 2- "$MOCK_LOG"
    GetCapabilities
    Notify "brelta_test_tool" 0 "" "NETWORK TEST : PASS" "" [] {"urgency": 1} 30000
    GetCapabilities
    Notify "brelta_test_tool" 0 "" "NETWORK TEST : FAIL" "" [] {"urgency": 2} 30000
  $ grep -o '"result":.*' apps/launches
    "result":0}
    "result":0}

# A mapped page starts its desktop application with the page as its argument; an unmapped
# one is a notification that names it; a mapped id without a desktop file is not found.
# Without a notification server the popup is refused.
case pages
  session
  mock org.freedesktop.Notifications notification_daemon {"capabilities": "body"}
  env BRELTA_LIVE=launch
  env XDG_DATA_DIRS=$ROOT/xdg
  env XDG_DATA_HOME=$ROOT/xdg-home
  write xdg/applications/brelta-settings.desktop [Desktop Entry]\nType=Application\nName=Settings\nExec=$ROOT/open-page %U\n
  write open-page #!/bin/sh\necho "$@" > $ROOT/opened\n
  $ chmod +x open-page
  write apps/desktop # page\tdesktop file id\nLAUNCH_NDF_POPUP\tbrelta-settings\nLAUNCH_NW_ERROR_POPUP\tmissing.desktop\n
  start brelta.keycombination.ndf
  await opened LAUNCH_NDF_POPUP
  start brelta.keycombination.WiFiList
  start brelta.keycombination.nwerrorpopup
  env DBUS_SESSION_BUS_ADDRESS=unix:path=$ROOT/no-session-bus
  write network/default_gateway 1
  run brelta.keycombination.gateway
    brelta: launch: no desktop file missing.desktop
    brelta: launch: no session bus: Could not connect: No such file or directory
  $ cat opened; cut -d ' ' -f 2- "$MOCK_LOG"
    LAUNCH_NDF_POPUP
    GetCapabilities
    Notify "brelta_test_tool" 0 "" "Settings page LAUNCH_WIFI_LIST_PAGE" "No desktop application is mapped to it in $ROOT/apps/desktop." [] {"urgency": 1} -1
  $ sed -E 's/.*,"(.*)"\]\],"result":(.*)\}/\2 \1/' apps/launches | sort
    -17825756 30
    -17825759 LAUNCH_NW_ERROR_POPUP
    0 LAUNCH_NDF_POPUP
    0 LAUNCH_WIFI_LIST_PAGE
