#!/usr/bin/env bash
# Takes docs/notification.png: a desktop notification of Skarvel's demo
# (loopback only) with its Join and Show actions, as the notification daemon
# dunst shows it on a virtual X display and a session bus of its own. dunst
# marks a notification with actions "(A)" and offers them in its context menu,
# which it hands to a dmenu-like program: here a small X window whose buttons
# are the menu's entries. scripts/screenshots.sh runs this after its own
# pictures; it also runs alone.
set -euo pipefail
cd "$(dirname "$0")/.."

# A bus of our own: the desktop's notification service, if any, stays out of it.
if [ -z "${SKARVEL_SHOT_BUS:-}" ]; then
  exec env SKARVEL_SHOT_BUS=1 dbus-run-session -- "$0" "$@"
fi

scripts/setup.sh xvfb openbox xdotool x11-utils x11-xserver-utils imagemagick dunst
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target skarvel_icons >/dev/null

display=:78
work=$(mktemp -d)
pids=()
stop() {
  trap - EXIT INT TERM
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT INT TERM

# dunst's context menu: each entry ("#Join (Skarvel) [7,join]") becomes a
# button of its action's caption; the chosen entry goes back to dunst.
cat >"$work/menu" <<'MENU'
#!/bin/sh
entries=$(cat)
buttons=$(printf '%s\n' "$entries" | sed -n 's/^#\(.*\) (.*$/\1/p' | tr -d ',:' | paste -sd, -)
chosen=$(xmessage -name dunst-menu -title 'dunst: actions' -geometry -12+100 -print \
  -buttons "$buttons" 'Actions of the notification:') || exit 0
printf '%s\n' "$entries" | grep -m1 "^#$chosen ("
MENU
chmod +x "$work/menu"
cat >"$work/dunstrc" <<CONFIG
[global]
origin = top-right
offset = 10x10
width = 380
notification_limit = 1
indicate_hidden = no
font = DejaVu Sans 10
format = "<b>%s</b>\n%b"
show_indicators = yes
icon_position = left
max_icon_size = 32
icon_path = $PWD/build/icons/hicolor/32x32/apps
frame_color = "#81a1c1"
dmenu = $work/menu
[urgency_normal]
background = "#2e3440"
foreground = "#eceff4"
timeout = 10
CONFIG

Xvfb "$display" -screen 0 960x600x24 -nolisten tcp &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox &
pids+=($!)
sleep 1
xsetroot -solid '#4c566a'
dunst -config "$work/dunstrc" >/dev/null 2>&1 &
pids+=($!)

scripts/demo.sh >/dev/null 2>&1 &
pids+=($!)

for _ in $(seq 300); do
  window=$(xdotool search --name '^Skarvel/Quake/CS Servers$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
xdotool windowsize "$window" 520 380 windowmove "$window" 20 200

# The servers come online and announce it: the first of them shows, the
# rest wait in dunst's queue.
for _ in $(seq 150); do
  [ "$(dunstctl count displayed)" -gt 0 ] && break
  sleep 0.2
done
[ "$(dunstctl count displayed)" -gt 0 ] || { echo "no notification showed" >&2; exit 1; }
sleep 0.5
dunstctl context &
pids+=($!)
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^dunst: actions$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 0.5
mkdir -p docs
import -window root docs/notification.png
echo "docs/notification.png written"
