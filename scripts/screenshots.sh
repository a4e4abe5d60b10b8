#!/usr/bin/env bash
# Takes the README's screenshots: Skarvel on its demo (loopback only) under a
# virtual X display with a window manager (openbox) and a tray host (trayer).
# Writes docs/main-window.png, docs/tray.png and docs/balloon.png.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh xvfb openbox trayer xdotool x11-utils x11-xserver-utils imagemagick

display=:77
pids=()
stop() {
  trap - EXIT INT TERM
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap stop EXIT INT TERM

Xvfb "$display" -screen 0 960x600x24 -nolisten tcp &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox &
pids+=($!)
sleep 1
xsetroot -solid '#4c566a'
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
  --transparent true --alpha 0 --tint 0xd8dee9 &
pids+=($!)

scripts/demo.sh >/dev/null 2>&1 &
pids+=($!)

# Wait for the window, then give the servers a few cycles to fill it.
for _ in $(seq 300); do
  window=$(xdotool search --name '^Skarvel/Quake/CS Servers$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
xdotool windowsize "$window" 560 380 windowmove "$window" 40 40
sleep 12
# Pick the third row, as a user would, so its players show.
xdotool mousemove --window "$window" 150 82 click 1
sleep 1

mkdir -p docs
import -window "$window" -frame docs/main-window.png
# The tray host sits at the bottom right of the screen; shown at twice its
# size, pixel for pixel.
import -window root -crop 200x24+760+576 +repage -filter point -resize 200% docs/tray.png

# A balloon comes with the next player who enters or leaves a server that
# announces them; it shows for ten seconds next to its icon.
for _ in $(seq 120); do
  if xdotool search --onlyvisible --class 'skarvel' 2>/dev/null | while read -r id; do
    [ "$id" != "$window" ] && xwininfo -id "$id" | grep -q 'Height: *[4-9][0-9]' && echo yes
  done | grep -q yes; then
    break
  fi
  sleep 0.5
done
sleep 0.5
import -window root -crop 480x200+480+400 +repage docs/balloon.png
echo "docs/main-window.png docs/tray.png docs/balloon.png written"
