#!/usr/bin/env bash
# Builds lm_simulator and its tests for aarch64 Linux and runs them under
# qemu-aarch64. There long double is a 113-bit format, so the software
# extended arithmetic is in use; every transcript and the descent vectors
# must still come out bit for bit the same.
#
#   tests/cross_aarch64.sh [build-dir]      (default build-aarch64)
#
# Installs the cross compiler, QEMU and GoogleTest's sources when missing
# (needs root), and builds GoogleTest for the target from those sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-aarch64}")

need=()
command -v aarch64-linux-gnu-g++ >/dev/null || need+=(g++-aarch64-linux-gnu)
command -v qemu-aarch64 >/dev/null || need+=(qemu-user)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v cmake >/dev/null || need+=(cmake)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${need[@]}"
fi

toolchain="$root/cmake/aarch64-linux-gnu.cmake"
gtest_prefix="$build/googletest-install"
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  # GoogleTest's own warnings are not ours to fail on.
  env -u CXXFLAGS cmake -S /usr/src/googletest -B "$build/googletest" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF
  cmake --build "$build/googletest" -j2
  cmake --install "$build/googletest"
fi

cmake -S "$root" -B "$build/project" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_FIND_ROOT_PATH="$gtest_prefix" -DCMAKE_PREFIX_PATH="$gtest_prefix"
cmake --build "$build/project" -j2

# The autopilot starts the simulator itself; under emulation it needs QEMU
# in front of it.
wrapper="$build/lm_simulator_under_qemu"
printf '#!/bin/sh\nexec qemu-aarch64 -L /usr/aarch64-linux-gnu "%s" "$@"\n' \
  "$build/project/lm_simulator" >"$wrapper"
chmod +x "$wrapper"
LM_SIMULATOR="$wrapper" ctest --test-dir "$build/project" --output-on-failure
