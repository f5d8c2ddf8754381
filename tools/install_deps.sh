#!/usr/bin/env bash
# Installs, on a Debian or Ubuntu machine, the packages that are missing for building the library,
# its tests and the demo. With --all it adds what CI also needs: clang with libFuzzer for the fuzz
# targets and SDL2 for the window backend.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -e /usr/include/png.h ] || need+=(libpng-dev)
[ -e /usr/include/freetype2/ft2build.h ] || need+=(libfreetype-dev)
[ -e /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] || need+=(fonts-dejavu-core)
if [ "${1:-}" = --all ]; then
  command -v clang++ >/dev/null || need+=(clang)
  if ! command -v clang++ >/dev/null ||
    [ ! -e "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
    need+=(libclang-rt-14-dev)
  fi
  [ -e /usr/include/SDL2/SDL.h ] || need+=(libsdl2-dev)
fi
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${need[*]}. Install them with:" >&2
  echo "  sudo apt-get install ${need[*]}" >&2
  exit 1
fi
apt-get update -qq && apt-get install -y -qq "${need[@]}"
