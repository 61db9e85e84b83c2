#!/bin/sh
# Takes the README's picture of the game: the release program on a copy of
# its generated data folder, on a private virtual X server of its own
# (scripts/with-xvfb.sh). Once the intro has handed the table over to the
# computers' game, the viewer steps back from the table and looks up a
# little, so that the lit room shows around it; then the window is captured
# and scaled to 960 x 540.
#   scripts/screenshot.sh [OUTPUT]    (default docs/screenshot.png)
# `make screenshot` builds the program and its data folder first. BUILD names
# another build folder than build/release.
set -eu
cd "$(dirname "$0")/.."

# Never the desktop's display: the script moves the pointer and types.
if [ -z "${SCREENSHOT_ON_XVFB:-}" ]; then
  SCREENSHOT_ON_XVFB=1 exec ./scripts/with-xvfb.sh "$0" "$@"
fi

build=${BUILD:-build/release}
output=${1:-docs/screenshot.png}
program=$build/bin/talvorin32
[ -x "$program" ] && [ -d "$build/data" ] || {
  echo "screenshot: no $program with its data folder; run make first" >&2
  exit 2
}

work=$(mktemp -d /tmp/talvorin_screenshot.XXXXXX)
game=
finish() {
  if [ -n "$game" ]; then
    kill "$game" 2>/dev/null || true
    wait "$game" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT INT TERM

# A copy: the game writes its settings back into the data folder.
cp -r "$build/data" "$work/data"
TALVORIN_ROOT=$work/data ALSOFT_DRIVERS=null "$program" >"$work/out.txt" 2>"$work/err.txt" &
game=$!

# Waits up to $1 seconds for the command after it to succeed, while the game runs.
wait_for() {
  limit=$1
  shift
  waited=0
  until "$@"; do
    kill -0 "$game" 2>/dev/null || {
      echo "screenshot: the game ended early:" >&2
      tail -n 20 "$work/err.txt" >&2
      exit 1
    }
    [ "$waited" -lt "$limit" ] || {
      echo "screenshot: gave up after $limit s waiting for: $*" >&2
      exit 1
    }
    sleep 1
    waited=$((waited + 1))
  done
}

wait_for 120 xdotool search --name '^Talvorin ' >/dev/null 2>&1
window=$(xdotool search --name '^Talvorin ' | head -n 1)
# The intro's game of two computers: its first aim is printed as it begins.
wait_for 300 grep -q '^x err = ' "$work/out.txt"
# The intro's last seconds, on real time: the view comes to rest at the table.
sleep 5

# Far from the centre the pointer is put back there without turning the
# view; from the centre, 12 pixels up turn it up a little.
xdotool mousemove --window "$window" 10 10 2>/dev/null
sleep 0.5
xdotool mousemove --window "$window" 640 348 2>/dev/null
sleep 0.5
# A short push backwards; the walker slides to a stop.
xdotool keydown --window "$window" s 2>/dev/null
sleep 0.25
xdotool keyup --window "$window" s 2>/dev/null
sleep 3

eval "$(xwininfo -id "$window" | awk '
  /Absolute upper-left X/ { print "x=" $NF }
  /Absolute upper-left Y/ { print "y=" $NF }
  /Width:/ { print "w=" $NF }
  /Height:/ { print "h=" $NF }')"
xwd -root -silent >"$work/screen.xwd"
mkdir -p "$(dirname "$output")"
convert "xwd:$work/screen.xwd" -crop "${w}x${h}+${x}+${y}" +repage -resize 960x540 \
  -strip -define png:compression-level=9 "$output"

# A dark picture means the scene was not drawn (or the intro still ran).
brightness=$(convert "$output" -colorspace Gray -format '%[fx:int(100*mean)]' info:)
if [ "$brightness" -lt 15 ]; then
  echo "screenshot: $output is dark (mean brightness $brightness %): the scene did not show" >&2
  exit 1
fi
echo "screenshot: $output (${w}x${h} window, mean brightness $brightness %)"
