#!/usr/bin/env bash
# Installs what the build needs (Debian packages) and builds the tool and its tests in build/.
# Sourced by ./run and ./test.
set -euo pipefail

BRELTA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BRELTA_PACKAGES=(g++ cmake make pkg-config libglib2.0-dev libjson-glib-dev nlohmann-json3-dev
    libboost-filesystem-dev libgtest-dev libgmock-dev dbus-daemon clang-format tmux)
# scripts/fuzz builds with clang and links its libFuzzer runtime.
BRELTA_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# scripts/compilers builds with the older compilers of a TV's toolchain.
BRELTA_COMPILER_PACKAGES=(g++-11 clang-13)
# scripts/armhf cross-builds for 32-bit ARM and runs the result under user emulation.
BRELTA_ARMHF_PACKAGES=(g++-11-arm-linux-gnueabihf qemu-user-static mmdebstrap)
# scripts/coverage reports with gcovr.
BRELTA_COVERAGE_PACKAGES=(gcovr)

brelta_install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >&2
}

brelta_build() {
    local dir=$1
    shift
    cmake -S "$BRELTA_TOP" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)" >&2
}
