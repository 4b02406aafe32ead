# Pages of the network-settings application: the key written first, the one extra-data
# entry, and the launch request's failures.

case wifi-list
  run brelta.keycombination.WiFiList
  records system CNWWiFiList.cpp TestUtil.cpp
    CNWWiFiList.cpp: CNWWiFiList >
    CNWWiFiList.cpp: Execute > +++++  Inside launchCNWWiFiList
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CNWWiFiList.cpp: ~CNWWiFiList >
  keys
    db/network/LaunchNWWireless: int 1
  launches
    {"pid":$PID,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_WIFI_LIST_PAGE"]],"result":0}

case error-popup
  run brelta.keycombination.nwerrorpopup
  records system CNWErrorPopup.cpp TestUtil.cpp
    CNWErrorPopup.cpp: CNWErrorPopup >
    CNWErrorPopup.cpp: Execute > +++++  Inside launchCNWErrorPopup
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CNWErrorPopup.cpp: ~CNWErrorPopup >
  launches
    {"pid":$PID,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_NW_ERROR_POPUP"]],"result":0}

case ndf
  run brelta.keycombination.ndf
  records system CNDFPopup.cpp TestUtil.cpp
    CNDFPopup.cpp: CNDFPopup >
    CNDFPopup.cpp: Execute > +++++  Inside launchNS
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CNDFPopup.cpp: ~CNDFPopup >
  launches
    {"pid":$PID,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_NDF_POPUP"]],"result":0}

case rse
  run brelta.keycombination.rse
  records system CEURegulationRSE.cpp TestUtil.cpp
    CEURegulationRSE.cpp: CEURegulationRSE >
    CEURegulationRSE.cpp: Execute >
    CEURegulationRSE.cpp: Execute > change rse vconf value(ret is 0)
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CEURegulationRSE.cpp: ~CEURegulationRSE >
  keys
    db/menu/network/eu_wifi_reg_test_mode: bool 1
  launches
    {"pid":$PID,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_EU_REGULATION_TEST_POPUP"]],"result":0}

# A failed key write still opens the page; the RSE task logs the write's result.
case key-writes-fail
  fault vconf_set_int -5
  fault vconf_set_bool -6
  run brelta.keycombination.WiFiList
  records system CNWWiFiList.cpp TestUtil.cpp
    CNWWiFiList.cpp: CNWWiFiList >
    CNWWiFiList.cpp: Execute > +++++  Inside launchCNWWiFiList
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CNWWiFiList.cpp: ~CNWWiFiList >
  run brelta.keycombination.rse
  records system CEURegulationRSE.cpp TestUtil.cpp
    CEURegulationRSE.cpp: CEURegulationRSE >
    CEURegulationRSE.cpp: Execute >
    CEURegulationRSE.cpp: Execute > change rse vconf value(ret is -6)
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app succ.
    CEURegulationRSE.cpp: ~CEURegulationRSE >
  keys
  launches
    {"pid":$PID2,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_EU_REGULATION_TEST_POPUP"]],"result":0}

# Each failure ends the launch where it happens; a refused request is journalled.
case launch-fails
  fault app_control_create -1
  run brelta.keycombination.ndf
  records system CNDFPopup.cpp TestUtil.cpp
    CNDFPopup.cpp: CNDFPopup >
    CNDFPopup.cpp: Execute > +++++  Inside launchNS
    CNDFPopup.cpp: ~CNDFPopup >
  fault app_control_create
  fault app_control_add_extra_data -2
  run brelta.keycombination.ndf
  records system CNDFPopup.cpp TestUtil.cpp
    CNDFPopup.cpp: CNDFPopup >
    CNDFPopup.cpp: Execute > +++++  Inside launchNS
    TestUtil.cpp: LaunchNetworkSettings > Can not add extra data. ret_add_data = [-2]
    CNDFPopup.cpp: ~CNDFPopup >
  fault app_control_add_extra_data
  fault app_control_send_launch_request -3
  run brelta.keycombination.ndf
  records system CNDFPopup.cpp TestUtil.cpp
    CNDFPopup.cpp: CNDFPopup >
    CNDFPopup.cpp: Execute > +++++  Inside launchNS
    TestUtil.cpp: LaunchNetworkSettings > Launch    NetworkSettings app failed. : -3
    CNDFPopup.cpp: ~CNDFPopup >
  launches
    {"pid":$PID3,"app_id":"org.tizen.NetworkSetting-Tizen","operation":null,"extra":[["NW_TEST_FUNCTION_FROM_JSON","LAUNCH_NDF_POPUP"]],"result":-3}
