#!/usr/bin/env bash
# The clock's layer surface on a real compositor (scripts/wayland-desktop):
# it shows at its margins with transparent corners and one marker (a buffer
# that missed a frame would show an old marker too), clicks go through it to
# the native window beneath, top-most puts it over that window and not
# top-most under it, a place on another output moves it there, and an output
# scale of 2 gives it buffers of twice the size.
#   wayland_layer_test.sh BIN_DIR ARTIFACT_DIR
# BIN_DIR holds wayland_layer_demo, wayland_window and wayland_pointer.
set -euo pipefail

bin=$(readlink -f "${1:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}")
art=${2:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}
desktop=$(dirname "$(readlink -f "$0")")/../../scripts/wayland-desktop
mkdir -p "$art"
art=$(readlink -f "$art")
work=$(mktemp -d /tmp/vitrodial-wlt.XXXXXX)

WINDOW=204080 # the native window's colour
CLOCK=c03030  # the demo's circle
passed=0 failed=0
pids=()
state=''
round=1

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
  # the clients' logs go with the screenshots, for a look after a failure
  for log in "$work"/*.log; do [ -f "$log" ] && cp "$log" "$art/$round-$(basename "$log")"; done
  round=$((round + 1))
  [ -z "$state" ] || "$desktop" stop "$state" || true
  state=''
}
trap 'cleanup; rm -rf "$work"' EXIT

check() { # NAME COMMAND...: one assertion
  if "${@:2}"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $1" >&2
  fi
}

wait_line() { # FILE REGEX: until a line of FILE matches (20 s at most)
  for _ in $(seq 1 400); do
    grep -Eq "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  echo "no line /$2/ in $1:" >&2
  cat "$1" >&2 || true
  return 1
}

pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | tr 'A-F' 'a-f'; }

shot() { # NAME: a screenshot in the artifacts
  grim -t png "$art/$1.png"
  echo "$art/$1.png"
}

# Until the screenshot shows COLOUR at X Y (20 s at most); the last one stays
# in the artifacts as NAME.
shows() { # NAME X Y COLOUR
  local file
  for _ in $(seq 1 100); do
    file=$(shot "$1")
    [ "$(pixel "$file" "$2" "$3")" = "$4" ] && return 0
    sleep 0.2
  done
  echo "$1: $2,$3 is $(pixel "$file" "$2" "$3"), not $4" >&2
  return 1
}

# The white pixels in a box: the marker's, once.
white_in() { # FILE X Y SIDE
  convert "$1" -crop "$4x$4+$2+$3" +repage -fill black +opaque white -fill white -opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}

start_desktop() { # OPTIONS...
  local out
  out=$("$desktop" start "$@" --watch-pid $$)
  state=$(sed -n 's/^WD_STATE=//p' <<<"$out")
  export WAYLAND_DISPLAY XDG_RUNTIME_DIR DISPLAY
  WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$out")
  XDG_RUNTIME_DIR=$(sed -n 's/^XDG_RUNTIME_DIR=//p' <<<"$out")
  DISPLAY=$(sed -n 's/^DISPLAY=//p' <<<"$out")
}

start_window() { # "W H": the size the window is tiled to
  "$bin/wayland_window" "$WINDOW" >"$work/window.log" 2>&1 &
  pids+=($!)
  wait_line "$work/window.log" "^(ready|size) $1$"
}

start_demo() { # ARGS...: commands go to it through $work/demo.in
  rm -f "$work/demo.in"
  mkfifo "$work/demo.in"
  "$bin/wayland_layer_demo" "$@" <"$work/demo.in" >"$work/demo.log" 2>&1 &
  demo=$!
  pids+=($!)
  exec 7>"$work/demo.in"
}

# --- One output at scale 1, the window beneath the clock.
start_desktop --outputs 2
start_window "1280 1024"
start_demo --layer top --pos 300,200 --size 240 --tick 100
wait_line "$work/demo.log" '^shown 240 240 1$'
check "top-most shows over the window" shows top 420 320 "$CLOCK"
sleep 1 # ten frames, each buffer used several times
file=$(shot ticking)
check "transparent corner" [ "$(pixel "$file" 300 200)" = "$WINDOW" ]
check "left edge at the margin" [ "$(pixel "$file" 299 320)-$(pixel "$file" 300 320)" = "$WINDOW-$CLOCK" ]
check "top edge at the margin" [ "$(pixel "$file" 420 199)-$(pixel "$file" 420 200)" = "$WINDOW-$CLOCK" ]
check "right edge" [ "$(pixel "$file" 539 320)-$(pixel "$file" 540 320)" = "$CLOCK-$WINDOW" ]
check "one marker, no stale ones" [ "$(white_in "$file" 300 200 240)" = 576 ]

# Clicks through the clock's middle reach the window beneath. The window
# listens once the seat has the virtual pointer.
mkfifo "$work/pointer.in"
"$bin/wayland_pointer" <"$work/pointer.in" >"$work/pointer.log" 2>&1 &
pids+=($!)
exec 8>"$work/pointer.in"
wait_line "$work/window.log" '^pointer$'
echo "move 420 320" >&8
echo "click" >&8
check "a click in the clock reaches the window" wait_line "$work/window.log" '^button 272 pressed 420 320$'
exec 8>&-
check "the pointer ends cleanly" wait "${pids[-1]}"

echo "layer bottom" >&7
check "not top-most goes under the window" shows bottom 420 320 "$WINDOW"
echo "layer top" >&7
check "top-most again" shows top-again 420 320 "$CLOCK"
echo "pos 1400 100" >&7
check "a place on the second output" shows second-output 1520 220 "$CLOCK"
check "nothing left on the first" [ "$(pixel "$art/second-output.png" 420 320)" = "$WINDOW" ]
check "margins on the second output" \
  [ "$(pixel "$art/second-output.png" 1399 220)-$(pixel "$art/second-output.png" 1400 220)" != "$CLOCK-$CLOCK" ]
echo "rss" >&7
wait_line "$work/demo.log" '^rss [0-9]+$'
echo "resident memory of the demo: $(sed -n 's/^rss //p' "$work/demo.log") kB"
echo "quit" >&7
exec 7>&-
check "the demo ends cleanly" wait "$demo"
cleanup

# --- An output at scale 2: the same clock in twice the pixels.
start_desktop --scale 2
start_window "640 512"
start_demo --layer top --pos 100,100 --size 120 --tick 100
check "buffers at the output's scale" wait_line "$work/demo.log" '^shown 240 240 2$'
check "scaled clock" shows scaled 320 320 "$CLOCK"
sleep 1
file=$(shot scaled-ticking)
check "scaled margins" [ "$(pixel "$file" 199 320)-$(pixel "$file" 200 320)" = "$WINDOW-$CLOCK" ]
check "scaled corner" [ "$(pixel "$file" 201 201)" = "$WINDOW" ]
check "scaled marker drawn once, at full resolution" [ "$(white_in "$file" 200 200 240)" = 576 ]
echo "quit" >&7
exec 7>&-
check "the scaled demo ends cleanly" wait "$demo"
cleanup

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
