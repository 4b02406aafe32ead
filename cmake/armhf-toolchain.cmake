# Cross build for 32-bit ARM (armhf) with Debian's g++-11-arm-linux-gnueabihf: the compiler of
# the TV's generation, not the host's. The target's libraries come from a Debian armhf tree
# given as CMAKE_SYSROOT (scripts/armhf makes one):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake -DCMAKE_SYSROOT=<dir> ...
# Programs built here run on the host under qemu-arm-static user emulation, named as the
# emulator rather than registered with the kernel, so ctest and the tests start them through it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc-11)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++-11)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
# GCC notes on ARM that the passing of some structures changed in GCC 7.1: everything here is
# built by one compiler far newer than that, so the note only buries real diagnostics.
set(CMAKE_C_FLAGS_INIT -Wno-psabi)
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

if(NOT CMAKE_SYSROOT OR NOT IS_DIRECTORY "${CMAKE_SYSROOT}/usr/lib/arm-linux-gnueabihf")
  message(FATAL_ERROR "the armhf build needs -DCMAKE_SYSROOT=<a Debian armhf tree with the "
    "-dev packages>, not '${CMAKE_SYSROOT}' (scripts/armhf makes one)")
endif()

# Headers and libraries of the target only; programs (pkg-config, the code generators) of the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the target's .pc files and prefixes their paths with the sysroot.
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${CMAKE_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
  "${CMAKE_SYSROOT}/usr/lib/arm-linux-gnueabihf/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})

find_program(BRELTA_QEMU_ARM qemu-arm-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${BRELTA_QEMU_ARM};-L;${CMAKE_SYSROOT}")
