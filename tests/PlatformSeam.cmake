# The device build links the TV's own libraries instead of the stand-ins, so the tool may reach
# the platform only through its headers by their names: a path into the tree builds here and
# nowhere else. The host-only brelta_host.h belongs to DevicePath.h alone, which places the
# fixed paths under the device root. The compiler checks the rest: the stand-ins' own headers
# are not on the tool's include path, and every call needs a declaration.
#   cmake -DSOURCE_DIR=... -P PlatformSeam.cmake
file(GLOB sources "${SOURCE_DIR}/test-tool/src/*.[ch]" "${SOURCE_DIR}/test-tool/src/*.cpp")
if(NOT sources)
  message(FATAL_ERROR "no sources to check in ${SOURCE_DIR}/test-tool/src")
endif()
foreach(source ${sources})
  get_filename_component(name "${source}" NAME)
  file(STRINGS "${source}" found REGEX
    "#[ \t]*include[ \t]*(\"[^\"]*/|<(/|[^>]*(\\.\\.|platform/|host/)))|brelta[ \t]*::[ \t]*host|brelta_host")
  if(found AND NOT name STREQUAL "DevicePath.h")
    message(SEND_ERROR "${name} reaches the host platform's own files: ${found}")
  endif()
endforeach()
