#!/usr/bin/env bash
# Builds lm_simulator and its tests for another machine and runs them there:
# other Linux machines under user-mode QEMU, Windows under Wine, WebAssembly
# under Node. Wherever long double is not the x87 format, the software
# extended arithmetic is in use; every transcript and the descent vectors
# must come out bit for bit the same as on x86-64 Linux.
#
#   .ci/cross_test.sh TRIPLE [build-dir]     (default build-TRIPLE)
#
# such as aarch64-linux-gnu, i686-linux-gnu (32-bit x86),
# s390x-linux-gnu (big-endian), riscv64-linux-gnu, powerpc64le-linux-gnu,
# arm-linux-gnueabihf, x86_64-w64-mingw32 (64-bit Windows), or
# wasm32-emscripten (WebAssembly, run by Node). Installs the cross
# compiler, the emulator and GoogleTest's sources when missing (needs
# root); the build makes GoogleTest for the target from those sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
triple=${1:?usage: cross_test.sh TRIPLE [build-dir]}
build=$(realpath -m "${2:-$root/build-$triple}")
export LM_CROSS_TRIPLE=$triple

# What the target needs, and the command that configures for it.
need=()
case $triple in
  wasm32-emscripten)
    platform=webassembly
    command -v emcmake >/dev/null || need+=(emscripten)
    # Debian's emscripten runs its JavaScript parser from Debian's Node
    # modules.
    [ -d /usr/share/nodejs/acorn ] || need+=(node-acorn)
    configure=(emcmake cmake)
    ;;
  x86_64-w64-mingw32)
    platform=windows
    command -v "$triple-g++-posix" >/dev/null || need+=(g++-mingw-w64-x86-64)
    command -v wine >/dev/null || need+=(wine wine64)
    configure=(cmake "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-w64.cmake")
    # Wine's own complaints about the missing display are noise here.
    export WINEDEBUG=-all
    ;;
  *-linux-*)
    platform=linux
    command -v "$triple-g++" >/dev/null || need+=("g++-${triple//_/-}")
    # qemu-user holds the emulators of every machine.
    command -v qemu-s390x >/dev/null || need+=(qemu-user)
    configure=(cmake "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/linux-cross.cmake")
    ;;
  *)
    echo "cross_test.sh: no way known to build for $triple" >&2
    exit 2
    ;;
esac
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v cmake >/dev/null || need+=(cmake)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${need[@]}"
fi

"${configure[@]}" -S "$root" -B "$build"
cmake --build "$build" -j2

# The autopilot starts the simulator itself; under emulation it needs QEMU
# in front of it. (Windows and WebAssembly have no autopilot.)
if [ "$platform" = linux ]; then
  qemu=$(sed -n 's/^LM_CROSS_QEMU:INTERNAL=//p' "$build/CMakeCache.txt")
  wrapper="$build/lm_simulator_under_qemu"
  printf '#!/bin/sh\nexec %s -L /usr/%s "%s" "$@"\n' \
    "$qemu" "$triple" "$build/lm_simulator" >"$wrapper"
  chmod +x "$wrapper"
  export LM_SIMULATOR="$wrapper"
fi
jobs=2
if [ "$platform" = windows ]; then
  # Windows' tmpfile() names its files from a counter that every process
  # starts alike, so tests in parallel collide on the names: one at a time.
  # And one Wine server for the whole run, which needs its prefix's folder
  # to exist: on a fresh machine it does not yet.
  jobs=1
  mkdir -p "${WINEPREFIX:-$HOME/.wine}"
  wineserver -k 2>/dev/null || true
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  wineboot -i >/dev/null 2>&1 || true
fi
cd "$build"
ctest --output-on-failure -j$jobs
