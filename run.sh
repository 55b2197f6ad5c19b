#!/usr/bin/env bash
# Sets up, builds and starts the clock.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"

out="${VITRODIAL_OUT:-$PWD/build/vitrodial-now.png}"
QT_QPA_PLATFORM=offscreen ./build/vitrodial-render --out "$out"
echo "The clock for now: $out"
