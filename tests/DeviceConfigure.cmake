# Configures the device build into a scratch directory and expects it to stop with the message
# that names the platform's pkg-config modules (this machine has none of them).
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P DeviceConfigure.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}" -DBRELTA_PLATFORM=device
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${WORK_DIR}")
string(REGEX REPLACE "[ \t\r\n]+" " " text "${out} ${err}")
string(FIND "${text}" "BRELTA_PLATFORM=device needs the TV platform's pkg-config modules: vconf dlog notification capi-appfw-app-control capi-network-connection capi-system-usbdevice ostra-capi-network (missing here: vconf dlog" at)
if(result EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "the device build did not stop naming the modules it needs:\n${out}\n${err}")
endif()
