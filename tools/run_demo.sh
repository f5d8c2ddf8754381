#!/usr/bin/env bash
# Builds the demo and runs it on its bundled timeline. The pictures and the contact sheet land in
# out/demo/ (or in the folder given as the first argument); the transcript of what the game
# hears is printed as it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-out/demo}"

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -e /usr/include/png.h ] || need+=(libpng-dev)
[ -e /usr/include/freetype2/ft2build.h ] || need+=(libfreetype-dev)
[ -e /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ] || need+=(fonts-dejavu-core)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "The demo needs: ${need[*]}. Install them with:" >&2
    echo "  sudo apt-get install ${need[*]}" >&2
    exit 1
  fi
  apt-get update -qq && apt-get install -y -qq "${need[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target uidemo
build/examples/uidemo --out "$out" examples/demo/demo.script
