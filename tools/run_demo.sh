#!/usr/bin/env bash
# Builds the demo and runs it on its bundled timeline. The pictures and the contact sheet land in
# out/demo/ (or in the folder given as the first argument); the transcript of what the game
# hears is printed as it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-out/demo}"

bash tools/install_deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target uidemo
build/examples/uidemo --out "$out" examples/demo/demo.script
