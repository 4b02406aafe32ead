#!/usr/bin/env bash
# What ./run and ./test share: the Debian packages each needs, installing the missing ones,
# and building. Sourced by both.
set -euo pipefail

BRELTA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Building and running the tool and brelta-device: ./run installs only these.
BRELTA_RUN_PACKAGES=(g++ cmake make pkg-config libglib2.0-dev nlohmann-json3-dev
    libboost-filesystem-dev)
# Testing: the test programs, the private bus, the formatting check, the case runner and the
# terminal tests.
BRELTA_TEST_PACKAGES=("${BRELTA_RUN_PACKAGES[@]}" libgtest-dev libgmock-dev dbus-daemon
    clang-format python3 tmux)
BRELTA_PACKAGES=("${BRELTA_TEST_PACKAGES[@]}")
# scripts/fuzz builds with clang and links its libFuzzer runtime.
BRELTA_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
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

# Configures and builds everything, the tests included, in the directory $1.
brelta_build() {
    local dir=$1
    shift
    cmake -S "$BRELTA_TOP" -B "$dir" -DBRELTA_TESTS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)" >&2
}
