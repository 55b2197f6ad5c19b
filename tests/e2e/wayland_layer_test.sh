#!/usr/bin/env bash
# The clock on a real Wayland compositor (scripts/wayland-desktop), on its
# layer surface: its face at its place, the clear colour see-through and the
# rest blended, clicks through it, under a window opened later when not
# top-most and over one when top-most, a second start closes it; and on the
# second of two outputs at scale 2: there, at full resolution, and with no
# seconds hand left behind by a buffer that missed a frame.
#   wayland_layer_test.sh BIN_DIR ARTIFACT_DIR PROGRAM
# BIN_DIR holds wayland_window and wayland_pointer.
set -euo pipefail

bin=$(readlink -f "${1:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}")
art=${2:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR}
program=$(readlink -f "${3:?wayland_layer_test.sh BIN_DIR ARTIFACT_DIR PROGRAM}")
desktop=$(dirname "$(readlink -f "$0")")/../../scripts/wayland-desktop
mkdir -p "$art"
art=$(readlink -f "$art")
work=$(mktemp -d /tmp/vitrodial-wlt.XXXXXX)

WINDOW=204080 # the native window's colour
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

eventually() { # COMMAND...: until it succeeds (20 s at most)
  for _ in $(seq 1 200); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

wait_line() { # FILE REGEX: until a line of FILE matches (20 s at most)
  eventually grep -Eq "$2" "$1" && return 0
  echo "no line /$2/ in $1:" >&2
  cat "$1" >&2 || true
  return 1
}

pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | tr 'A-F' 'a-f'; }

shot() { # NAME: a screenshot in the artifacts
  "$desktop" screenshot "$art/$1.png"
  echo "$art/$1.png"
}

# Until the screenshot shows at X Y COLOUR (=) or another colour (!=), 20 s
# at most; the last one stays in the artifacts as NAME.
shows() { # NAME X Y =|!= COLOUR
  local seen
  for _ in $(seq 1 100); do
    seen=$(pixel "$(shot "$1")" "$2" "$3")
    [ "$seen" "$4" "$5" ] && return 0
    sleep 0.2
  done
  echo "$1: $2,$3 is $seen, not $4 $5" >&2
  return 1
}

# At X Y the screenshot shows what the bare one does, at X+DX Y+DY not: an edge.
edge() { # SHOT BARE X Y DX DY
  [ "$(pixel "$1" "$3" "$4")" = "$(pixel "$2" "$3" "$4")" ] &&
    [ "$(pixel "$1" $(($3 + $5)) $(($4 + $6)))" != "$(pixel "$2" $(($3 + $5)) $(($4 + $6)))" ]
}

start_desktop() { # OPTIONS...
  local out name
  out=$("$desktop" start "$@" --watch-pid $$)
  state=$(sed -n 's/^WD_STATE=//p' <<<"$out")
  for name in DBUS_SESSION_BUS_ADDRESS SWAYSOCK WAYLAND_DISPLAY XDG_RUNTIME_DIR DISPLAY; do
    export "$name=$(sed -n "s/^$name=//p" <<<"$out")"
  done
}

start_window() { # "W H" [COLOUR [LOG]]: W H the size it is tiled to (a regex)
  local log=$work/${3:-window}.log
  "$bin/wayland_window" "${2:-$WINDOW}" >"$log" 2>&1 &
  pids+=($!)
  wait_line "$log" "^(ready|size) $1$"
}

# --- The program: its face on the layer surface, beside a window of its own.
LEFT=100 TOP=80 SIZE=240
COVER=808020 # a window opened over the clock
# Colours as the settings store them (0xBBGGRR): white the clear colour,
# which fills and frames the hour and minute hands, so that no pixel checked
# depends on the time of day; a dark dial blended at OPACITY; a red seconds
# hand when SECONDS_SHOWN.
OPACITY=200 SECONDS_SHOWN=0
ini() { # TOPMOST
  cat <<INI
[Geometry]
Left=$LEFT
Top=$TOP
Size=$SIZE
[Color]
Clear=ffffff
Opacity=$OPACITY
[Dial]
Background=402010
Show=1
[Seconds]
Show=$SECONDS_SHOWN
Fill=0000ff
Frame=0000ff
[Minute]
Fill=ffffff
Frame=ffffff
Width=3
[Hour]
Fill=ffffff
Frame=ffffff
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
clock() { # [ARGS...]: the program's start, its pid in $clock_pid
  (cd "$work/clock" && exec env -u VITRODIAL_SURFACE -u QT_QPA_PLATFORM XDG_STATE_HOME="$work/state" \
    XDG_CONFIG_HOME="$work/state" ./vitrodial "$@") >>"$work/clock.log" 2>&1 &
  clock_pid=$!
  pids+=($!)
}
# The clock's middle square, which lies inside the circle and holds the
# hands' roots; the whole clock, in device pixels at scale S.
middle_box() { echo "$((SIZE / 2))x$((SIZE / 2))+$((LEFT + SIZE / 4))+$((TOP + SIZE / 4))"; }
clock_box() { echo "$((SIZE * $1))x$((SIZE * $1))+$((LEFT * $1))+$((TOP * $1))"; }
count() { # FILE BOX COLOUR FUZZ: pixels of COLOUR (FUZZ apart at most) in BOX
  convert "$1[$2]" -fuzz "$4" -fill black +opaque "#$3" -fill white -opaque "#$3" -format '%[fx:round(mean*w*h)]' info:
}
differing() { # A B BOX: pixels of BOX that differ
  compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1 || true
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
check "the face shows" shows program-face $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) != \
  "$(pixel "$art/bare.png" $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)))"
file=$art/program-face.png
check "left edge at Left" edge "$file" "$art/bare.png" $((LEFT - 1)) $((TOP + SIZE / 2)) 3 0
check "top edge at Top" edge "$file" "$art/bare.png" $((LEFT + SIZE / 2)) $((TOP - 1)) 0 3
check "corner see-through" [ "$(pixel "$file" $((LEFT + 3)) $((TOP + 3)))" = "$(pixel "$art/bare.png" $((LEFT + 3)) $((TOP + 3)))" ]
differ=$(differing "$art/bare.png" "$file" "$(middle_box)")
check "the dial blended over the wallpaper ($differ of $quarter differ)" [ "$differ" -gt $((quarter * 8 / 10)) ]
check "the clear hands see-through" [ "$differ" -lt "$quarter" ]
check "nothing drawn opaque" [ "$(count "$file" "$(middle_box)" 102040 0)" = 0 ]

start_window "1280 1024"
check "a window opened later covers a clock not top-most" shows program-covered $((LEFT + SIZE / 2)) \
  $((TOP + SIZE / 8)) = "$WINDOW"
check "the X11 window never maps" [ -z "$(xdotool search --onlyvisible --name '^vitrodial$' || true)" ]

# A second start closes the clock, then the clock comes back top-most.
clock
check "a second start ends" ends "$clock_pid"
check "and closes the clock" ends "$first"
ini 1 >"$work/clock/vitrodial.ini"
clock
first=$clock_pid
# Over the window: the dial blended over its one colour, 0x102040 at 200 (premultiplied, then blended).
check "top-most over the window" shows program-top $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) = 14274e
file=$art/program-top.png
check "corner shows the window" [ "$(pixel "$file" $((LEFT + 3)) $((TOP + 3)))" = "$WINDOW" ]
check "the dial blended over the window" [ "$(count "$file" "$(middle_box)" 14274e 1%)" -gt $((quarter * 8 / 10)) ]
check "the clear hands show the window" [ "$(count "$file" "$(middle_box)" "$WINDOW" 0)" -gt 20 ]

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

# Its dialog, asked for by a start with --configure, is a Wayland window:
# the clock never needed X11.
clock --configure
check "the dialog opens on Wayland" eventually sh -c "swaymsg -t get_tree | grep -q '\"name\": \"Vitrodial Configuration\"'"
check "and the clock has no X11 connection" [ -z "$(xlsclients | grep -i vitrodial || true)" ]

clock
check "another start ends" ends "$clock_pid"
check "and closes the top-most clock" ends "$first"
check "the clock is gone" shows program-closed $((LEFT + SIZE / 2)) $((TOP + SIZE / 8)) = "$COVER"
cleanup

# --- KWin, which offers the layer shell too (without screencopy or virtual
# pointers: the desktop script and the pointer client use its own ways): the
# clock over a window when top-most, clicks through it, under it when not;
# and at a fractional scale.
if command -v kwin_wayland >/dev/null; then
  LEFT=220 TOP=300 # on the window KWin centres at 320,272, and beside it
  start_desktop --compositor kwin
  start_window "640 480"
  x=$((LEFT + SIZE / 2)) y=$((TOP + SIZE / 8))
  check "the window beneath the clock on KWin" shows kwin-window $x $y = "$WINDOW"
  ini 1 >"$work/clock/vitrodial.ini"
  clock
  first=$clock_pid
  check "top-most over the window on KWin" shows kwin-top $x $y = 14274e
  check "corner shows the window on KWin" [ "$(pixel "$art/kwin-top.png" $((LEFT + SIZE - 3)) $((TOP + SIZE - 3)))" = "$WINDOW" ]
  # the first move gives the seat a pointer, which the window then listens to
  "$bin/wayland_pointer" move $x $y wait 300 move $((x + 1)) $((y + 1)) click >"$work/pointer-kwin.log" 2>&1
  check "a click on the clock reaches the window on KWin" wait_line "$work/window.log" "^button 272 pressed"
  ini 0 >"$work/clock/vitrodial.ini"
  clock
  check "a second start closes the clock on KWin" ends "$first"
  clock
  check "not top-most, the clock shows beside the window" shows kwin-bottom $((LEFT + 20)) $((TOP + SIZE / 2)) != 000000
  check "and goes under it on KWin" [ "$(pixel "$art/kwin-bottom.png" $x $y)" = "$WINDOW" ]
  cleanup

  # At a scale of 1.5 (screenshots in device pixels): buffers of 1.5 times
  # the size shown as they are, not stretched from the logical size (which
  # would blend neighbouring colours).
  LEFT=100 TOP=80 OPACITY=255
  start_desktop --compositor kwin --scale 1.5
  ini 1 >"$work/clock/vitrodial.ini"
  clock
  y=$((3 * (TOP + SIZE / 2) / 2)) right=$((3 * (LEFT + SIZE) / 2))
  check "the clock at 1.5 times its size" shows kwin-fractional $((3 * LEFT / 2)) $y != 000000
  file=$art/kwin-fractional.png
  check "from Left to its right edge in device pixels" [ "$(pixel "$file" $((3 * LEFT / 2 - 1)) $y)" = 000000 -a \
    "$(pixel "$file" $((right - 1)) $y)" != 000000 -a "$(pixel "$file" $right $y)" = 000000 ]
  colours=$(convert "$file" -crop "$((3 * SIZE / 2))x$((3 * SIZE / 2))+$((3 * LEFT / 2))+$((3 * TOP / 2))" \
    -format %k info:)
  check "drawn at that scale, not stretched ($colours colours)" [ "$colours" -lt 8 ]
  cleanup
else
  echo "SKIP: kwin_wayland is not installed: the layer surface is tried on sway alone" >&2
fi

# --- Two outputs at scale 2 (the screenshots in device pixels), the clock on
# the second: placed by its logical position, drawn at full resolution, and
# showing one seconds hand however the two buffers took turns.
LEFT=700 TOP=100 OPACITY=255 SECONDS_SHOWN=1
start_desktop --outputs 2 --scale 2
shot bare-scaled >/dev/null
ini 1 >"$work/clock/vitrodial.ini"
clock
x=$((2 * (LEFT + SIZE / 2))) y=$((2 * (TOP + SIZE / 8)))
check "the face shows on the second output" shows program-scaled $x $y != "$(pixel "$art/bare-scaled.png" $x $y)"
sleep 1.2 # a whole frame of the next second, in the other buffer
first_shot=$(shot program-scaled)
y=$((2 * (TOP + SIZE / 2)))
check "scaled left edge at Left" edge "$first_shot" "$art/bare-scaled.png" $((2 * LEFT - 1)) $y 2 0
check "nothing on the first output" [ "$(differing "$art/bare-scaled.png" "$first_shot" 1280x1024+0+0)" = 0 ]
convert "$first_shot" -crop "$(clock_box 2)" +repage "$work/scaled.png"
convert "$work/scaled.png" -sample 50% -sample 200% "$work/blocks.png"
check "drawn at full resolution, not in blocks of 2 x 2" \
  [ "$(differing "$work/scaled.png" "$work/blocks.png" "$((2 * SIZE))x$((2 * SIZE))+0+0")" -gt 0 ]
sleep 3.2
last_shot=$(shot program-scaled-later)
hand=$(count "$first_shot" "$(clock_box 2)" ff0000 0) later=$(count "$last_shot" "$(clock_box 2)" ff0000 0)
check "one seconds hand, moving ($hand, then $later pixels)" [ "$hand" -gt 0 -a $((2 * later)) -lt $((3 * hand)) -a \
  $((2 * hand)) -lt $((3 * later)) -a "$(differing "$first_shot" "$last_shot" "$(clock_box 2)")" -gt 0 ]
cleanup

# --- A compositor without the layer shell (weston): the clock takes its X11
# window through XWayland, and its dialog opens at start without bringing the
# compositor down (a dialog transient for the override-redirect clock did).
if command -v weston >/dev/null; then
  mkdir -m 700 "$work/weston"
  XDG_RUNTIME_DIR=$work/weston weston --backend=headless-backend.so --xwayland --socket=wl-fallback \
    --width=1280 --height=1024 --idle-time=0 >"$work/weston.log" 2>&1 &
  weston=$!
  pids+=($!)
  wait_line "$work/weston.log" 'xserver listening on display :[0-9]+'
  WAYLAND_DISPLAY=wl-fallback XDG_RUNTIME_DIR=$work/weston
  DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | tail -n 1)
  clock --configure
  check "the clock shows in its X11 window" eventually xdotool search --onlyvisible --name '^vitrodial$'
  check "its dialog opens" eventually xdotool search --onlyvisible --name '^Vitrodial Configuration$'
  sleep 1
  check "and the compositor still runs" kill -0 "$weston"
  cleanup
else
  echo "SKIP: weston is not installed: the X11 path on a compositor without the layer shell is not tried" >&2
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
