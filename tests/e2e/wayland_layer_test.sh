#!/usr/bin/env bash
# The clock's layer surface on a real compositor (scripts/wayland-desktop):
# it shows at its margins with transparent corners and one marker (a buffer
# that missed a frame would show an old marker too), a live change of layer
# puts it under the window beneath and back, a place on another output moves
# it there, and an output scale of 2 gives it buffers of twice the size. Then
# the program itself (PROGRAM, when given): its face on the layer surface at
# its place, the clear colour see-through and the rest blended, clicks through
# it, under a window opened later when not top-most and over one when
# top-most, and a second start closes it.
#   wayland_layer_test.sh BIN_DIR ARTIFACT_DIR [PROGRAM]
# BIN_DIR holds wayland_layer_demo, wayland_window and wayland_pointer.
set -euo pipefail

bin=$(readlink -f "${1:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}")
art=${2:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}
program=${3:-}
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

# Until the screenshot no longer shows COLOUR at X Y (20 s at most).
covers() { # NAME X Y COLOUR
  local file
  for _ in $(seq 1 100); do
    file=$(shot "$1")
    [ "$(pixel "$file" "$2" "$3")" != "$4" ] && return 0
    sleep 0.2
  done
  echo "$1: $2,$3 is still $4" >&2
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
  export WAYLAND_DISPLAY XDG_RUNTIME_DIR DISPLAY SWAYSOCK
  SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' <<<"$out")
  WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' <<<"$out")
  XDG_RUNTIME_DIR=$(sed -n 's/^XDG_RUNTIME_DIR=//p' <<<"$out")
  DISPLAY=$(sed -n 's/^DISPLAY=//p' <<<"$out")
}

start_window() { # "W H" [COLOUR [LOG]]: W H the size it is tiled to (a regex)
  local log=$work/${3:-window}.log
  "$bin/wayland_window" "${2:-$WINDOW}" >"$log" 2>&1 &
  pids+=($!)
  wait_line "$log" "^(ready|size) $1$"
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

# A live change of layer makes the surface anew.
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

# --- The program: its face on the layer surface, beside a window of its own.
if [ -n "$program" ]; then
  LEFT=100 TOP=80 SIZE=240
  COVER=808020 # a window opened over the clock
  # Colours as the settings store them (0xBBGGRR): white the clear colour,
  # which fills the hands; a dark dial blended at 200.
  ini() { # TOPMOST
    cat <<INI
[Geometry]
Left=$LEFT
Top=$TOP
Size=$SIZE
[Color]
Clear=ffffff
Opacity=200
[Dial]
Background=402010
Show=1
[Seconds]
Show=0
[Minute]
Fill=ffffff
Width=3
[Hour]
Fill=ffffff
Width=3
[Date]
Show=0
[Misc]
TopMost=$1
IniFile=1
TrayIcon=1
INI
  }
  # A copy with its settings beside it and its own single-instance socket.
  mkdir -p "$work/clock" "$work/state"
  cp "$program" "$work/clock/vitrodial"
  clock() { # the program's start: its pid in $clock_pid
    (cd "$work/clock" && exec env -u VITRODIAL_SURFACE QT_QPA_PLATFORM=xcb XDG_STATE_HOME="$work/state" \
      XDG_CONFIG_HOME="$work/state" ./vitrodial) >>"$work/clock.log" 2>&1 &
    clock_pid=$!
    pids+=($!)
  }
  # Pixels of COLOUR (FUZZ apart at most) in the clock's middle square, which
  # lies inside the circle and holds the hands' roots.
  middle() { # FILE COLOUR FUZZ
    convert "$1" -crop "$((SIZE / 2))x$((SIZE / 2))+$((LEFT + SIZE / 4))+$((TOP + SIZE / 4))" +repage -fuzz "$3" \
      -fill black +opaque "#$2" -fill white -opaque "#$2" -format '%[fx:round(mean*w*h)]' info:
  }
  differing_middle() { # A B: pixels of the middle square that differ
    local crop="$((SIZE / 2))x$((SIZE / 2))+$((LEFT + SIZE / 4))+$((TOP + SIZE / 4))"
    convert "$1" -crop "$crop" +repage "$work/a.png"
    convert "$2" -crop "$crop" +repage "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true
  }
  quarter=$((SIZE * SIZE / 4))
  ends() { # PID: within 10 s
    for _ in $(seq 1 200); do
      alive=$(ps -o stat= -p "$1" 2>/dev/null || true)
      [ -z "$alive" ] || [ "${alive#Z}" != "$alive" ] && { wait "$1"; return; }
      sleep 0.05
    done
    return 1
  }

  start_desktop
  shot bare >/dev/null
  ini 0 >"$work/clock/vitrodial.ini"
  clock
  first=$clock_pid
  # Not top-most, over the bare wallpaper: where the dial is, not the wallpaper.
  check "the face shows" covers program-face $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) \
    "$(pixel "$art/bare.png" $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)))"
  file=$art/program-face.png
  check "left edge at Left" [ "$(pixel "$file" $((LEFT - 1)) $((TOP + SIZE / 2)))" = \
    "$(pixel "$art/bare.png" $((LEFT - 1)) $((TOP + SIZE / 2)))" -a \
    "$(pixel "$file" $((LEFT + 2)) $((TOP + SIZE / 2)))" != "$(pixel "$art/bare.png" $((LEFT + 2)) $((TOP + SIZE / 2)))" ]
  check "top edge at Top" [ "$(pixel "$file" $((LEFT + SIZE / 2)) $((TOP - 1)))" = \
    "$(pixel "$art/bare.png" $((LEFT + SIZE / 2)) $((TOP - 1)))" -a \
    "$(pixel "$file" $((LEFT + SIZE / 2)) $((TOP + 2)))" != "$(pixel "$art/bare.png" $((LEFT + SIZE / 2)) $((TOP + 2)))" ]
  check "corner see-through" [ "$(pixel "$file" $((LEFT + 3)) $((TOP + 3)))" = "$(pixel "$art/bare.png" $((LEFT + 3)) $((TOP + 3)))" ]
  differ=$(differing_middle "$art/bare.png" "$file")
  check "the dial blended over the wallpaper ($differ of $quarter differ)" [ "$differ" -gt $((quarter * 8 / 10)) ]
  check "the hands' clear fill see-through" [ "$differ" -lt "$quarter" ]
  check "nothing drawn opaque" [ "$(middle "$file" 102040 0)" = 0 ]

  start_window "1280 1024"
  check "a window opened later covers a clock not top-most" shows program-covered $((LEFT + SIZE / 2)) \
    $((TOP + SIZE / 8)) "$WINDOW"
  check "the X11 window never maps" [ -z "$(xdotool search --onlyvisible --name '^vitrodial$' || true)" ]

  # A second start closes the clock, then the clock comes back top-most.
  clock
  check "a second start ends" ends "$clock_pid"
  check "and closes the clock" ends "$first"
  ini 1 >"$work/clock/vitrodial.ini"
  clock
  first=$clock_pid
  # Over the window: the dial blended over its one colour, 0x102040 at 200 (premultiplied, then blended).
  check "top-most over the window" shows program-top $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) 14274e
  file=$art/program-top.png
  check "corner shows the window" [ "$(pixel "$file" $((LEFT + 3)) $((TOP + 3)))" = "$WINDOW" ]
  check "the dial blended over the window" [ "$(middle "$file" 14274e 1%)" -gt $((quarter * 8 / 10)) ]
  check "the hands' clear fill shows the window" [ "$(middle "$file" "$WINDOW" 0)" -gt 20 ]

  mkfifo "$work/pointer2.in"
  "$bin/wayland_pointer" <"$work/pointer2.in" >"$work/pointer2.log" 2>&1 &
  pids+=($!)
  exec 8>"$work/pointer2.in"
  wait_line "$work/window.log" '^pointer$'
  echo "move $((LEFT + SIZE / 2)) $((TOP + SIZE / 2))" >&8
  echo "click" >&8
  check "a click on the clock's centre reaches the window" \
    wait_line "$work/window.log" "^button 272 pressed $((LEFT + SIZE / 2)) $((TOP + SIZE / 2))$"
  exec 8>&-

  # A window opened later, over the first one (tabbed: it takes the whole
  # output but a tab's strip).
  swaymsg -q layout tabbed
  start_window "1280 [0-9]+" "$COVER" cover
  file=$(shot program-top-covered)
  check "the window opened later shows" [ "$(pixel "$file" $((LEFT + 3)) $((TOP + 3)))" = "$COVER" ]
  check "and the top-most clock stays over it" [ "$(pixel "$file" $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)))" != "$COVER" ]
  echo "resident memory of the program: $(sed -n 's/^VmRSS:[[:space:]]*//p' "/proc/$first/status")"

  clock
  check "another start ends" ends "$clock_pid"
  check "and closes the top-most clock" ends "$first"
  check "the clock is gone" shows program-closed $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) "$COVER"
  cleanup
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
