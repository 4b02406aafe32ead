#!/usr/bin/env bash
# What ./run and ./test share: the Debian packages each needs, installing the missing ones,
# and building. Sourced by both.
set -euo pipefail

BRELTA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Building and running the tool and brelta-device: all that ./run installs. For the live
# services: libsystemd, with which brelta-device reads the journal back, and GUdev, which the
# tool loads when the USB service is live. For the screen, libsoup's library only: its
# headers come without their package (brelta_soup_headers, below).
BRELTA_PACKAGES=(g++ cmake make pkg-config libglib2.0-dev nlohmann-json3-dev
    libboost-filesystem-dev libsoup-3.0-0 libpcap-dev libsystemd-dev libgudev-1.0-0)
# The builds beyond ./run's take libsoup's headers from their package.
BRELTA_SOUP_DEV=(libsoup-3.0-dev)
# ./test: the test libraries, the case runner and what cases call (Ninja to list what a build
# target makes, for the install cases; the live services' cases:
# python3-dbusmock's notification server, tcpdump to read captures back, a journald of their
# own, a udev testbed, the file systems they mount), groff to check the manual pages, Chromium
# for the browser test, and clang for the sanitizer build, which is instrumented for libFuzzer
# too.
BRELTA_TEST_PACKAGES=("${BRELTA_SOUP_DEV[@]}" libgtest-dev libgmock-dev python3 curl dbus-daemon
    libglib2.0-bin clang-format clang libclang-rt-14-dev iproute2 util-linux chromium dpkg-dev python3-dbusmock tcpdump
    systemd umockdev gir1.2-umockdev-1.0 python3-gi e2fsprogs groff-base ninja-build)
# The build of ./test's sanitizer suite and of scripts/fuzz. Line tables are all that a
# sanitizer's report needs, and -O1 keeps the checked programs fast while compiling quicker
# than the default -O2 -g.
BRELTA_ASAN_OPTIONS=(-DBRELTA_SANITIZE=ON -DBRELTA_FUZZ=ON -DBRELTA_WERROR=ON
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only"
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only")
# scripts/compilers builds with the older compilers of a TV's toolchain.
BRELTA_COMPILER_PACKAGES=("${BRELTA_SOUP_DEV[@]}" g++-11 clang-13)
# scripts/armhf cross-builds for 32-bit ARM and runs the result under user emulation.
BRELTA_ARMHF_PACKAGES=(g++-11-arm-linux-gnueabihf qemu-user-static mmdebstrap)
# scripts/coverage reports with gcovr.
BRELTA_COVERAGE_PACKAGES=("${BRELTA_SOUP_DEV[@]}" gcovr)

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

# libsoup's development package depends on the profiler's, which brings GTK 4, Mesa and LLVM
# along (on Debian 12: 255 packages and 101 MB to download for ./run instead of 63 and 24 MB)
# for a static library that only libsoup's own build links. ./run does without it: this
# unpacks the package of the installed library's version into $1/soup (installing nothing),
# writes a pkg-config file that names its headers and the installed library, and prints the
# directory for PKG_CONFIG_PATH. Prints nothing when the package is installed; fails when the
# mirror no longer has that version (the screen is then left out of the build).
brelta_soup_headers() {
    local dir=$1/soup version lib quoted
    [ -n "$(brelta_missing libsoup-3.0-dev)" ] || return 0
    if [ ! -f "$dir/pkgconfig/libsoup-3.0.pc" ]; then
        version=$(dpkg-query -W -f='${Version}' libsoup-3.0-0) || return 1
        lib=$(dpkg -L libsoup-3.0-0 | grep '/libsoup-3\.0\.so\.0$') || return 1
        rm -rf "$dir"
        mkdir -p "$dir/lib" "$dir/pkgconfig"
        (cd "$dir" && apt-get download -q "libsoup-3.0-dev=$version") >&2 || return 1
        dpkg-deb -x "$dir"/libsoup-3.0-dev_*.deb "$dir/package" && rm -f "$dir"/*.deb &&
            ln -s "$lib" "$dir/lib/libsoup-3.0.so" || return 1
        quoted=${dir// /\\ }  # pkg-config splits its fields at unescaped blanks
        cat >"$dir/pkgconfig/libsoup-3.0.pc.part" <<EOF
Name: libsoup
Description: libsoup's headers from libsoup-3.0-dev $version, unpacked by ./run
Version: ${version%%-*}
Requires: glib-2.0 gmodule-2.0 gobject-2.0 gio-2.0
Libs: -L$quoted/lib -lsoup-3.0
Cflags: -I$quoted/package/usr/include/libsoup-3.0
EOF
        mv "$dir/pkgconfig/libsoup-3.0.pc.part" "$dir/pkgconfig/libsoup-3.0.pc"
    fi
    echo "$dir/pkgconfig"
}

# Configures and builds everything in the directory $1, the tests included (./run may have
# configured build/ without them).
brelta_build() {
    local dir=$1
    shift
    cmake -S "$BRELTA_TOP" -B "$dir" -DBRELTA_TESTS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)" >&2
}
