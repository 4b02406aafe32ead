#!/usr/bin/env bash
# What ./run and ./test share: the Debian packages each needs, installing the missing ones,
# and building. Sourced by both.
set -euo pipefail

BRELTA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Building and running the tool and brelta-device: all that ./run installs. For the live
# services: libsystemd, with which brelta-device reads the journal back, and GUdev, which the
# tool loads when the USB service is live.
BRELTA_PACKAGES=(g++ cmake make pkg-config libglib2.0-dev nlohmann-json3-dev
    libboost-filesystem-dev libsoup-3.0-dev libpcap-dev libsystemd-dev libgudev-1.0-0)
# ./test: the test libraries, the case runner and what cases call (the live services' cases:
# python3-dbusmock's notification server, tcpdump to read captures back, a journald of their
# own, a udev testbed, the file systems they mount), groff to check the manual pages, Chromium
# for the browser test, and clang for the sanitizer build, which is instrumented for libFuzzer
# too.
BRELTA_TEST_PACKAGES=(libgtest-dev libgmock-dev python3 curl dbus-daemon libglib2.0-bin clang-format
    clang libclang-rt-14-dev iproute2 util-linux chromium dpkg-dev python3-dbusmock tcpdump
    systemd umockdev gir1.2-umockdev-1.0 python3-gi e2fsprogs groff-base)
# The build of ./test's sanitizer suite and of scripts/fuzz. Line tables are all that a
# sanitizer's report needs, and -O1 keeps the checked programs fast while compiling quicker
# than the default -O2 -g.
BRELTA_ASAN_OPTIONS=(-DBRELTA_SANITIZE=ON -DBRELTA_FUZZ=ON -DBRELTA_WERROR=ON
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only"
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only")
# scripts/compilers builds with the older compilers of a TV's toolchain.
BRELTA_COMPILER_PACKAGES=(g++-11 clang-13)
# scripts/armhf cross-builds for 32-bit ARM and runs the result under user emulation.
BRELTA_ARMHF_PACKAGES=(g++-11-arm-linux-gnueabihf qemu-user-static mmdebstrap)
# scripts/coverage reports with gcovr.
BRELTA_COVERAGE_PACKAGES=(gcovr)

# The packages of the arguments that are not installed, one per line.
brelta_missing() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$pkg"
    done
}

brelta_install_missing() {
    local missing
    mapfile -t missing < <(brelta_missing "$@")
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >&2
}

# Configures and builds everything in the directory $1, the tests included (./run may have
# configured build/ without them).
brelta_build() {
    local dir=$1
    shift
    cmake -S "$BRELTA_TOP" -B "$dir" -DBRELTA_TESTS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)" >&2
}
