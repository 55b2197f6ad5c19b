#!/usr/bin/env bash
# Sets up, builds and starts the clock.
#   On a desktop (DISPLAY set) the clock starts there; start it again to close it.
#   Without a display it runs in a virtual desktop (Xvfb, a compositor, a tray),
#   saves a screenshot of the whole screen after a few seconds, prints its path
#   and stops everything it started.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)"

if [ -n "${DISPLAY:-}" ]; then
  exec ./build/vitrodial
fi

shot="${VITRODIAL_SCREENSHOT:-$PWD/build/vitrodial-desktop.png}"
./scripts/virtual-desktop run --screenshot "$shot" --after 5 -- ./build/vitrodial >/dev/null
echo "The clock on a virtual desktop: $shot"
