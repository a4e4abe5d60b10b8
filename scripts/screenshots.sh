#!/usr/bin/env bash
# Takes the README's screenshots: Skarvel on its demo (loopback only) under a
# virtual X display with a window manager (openbox) and a tray host (trayer).
# Writes docs/main-window.png, docs/tray.png, docs/balloon.png,
# docs/tray-menu.png, docs/about-box.png, the four pages of the settings
# dialog (docs/settings-*.png), docs/address-dialog.png and
# docs/server-properties.png, docs/history.png, and in German
# docs/main-window-de.png and docs/settings-de.png; then
# scripts/notification-screenshot.sh takes docs/notification.png.
set -euo pipefail
cd "$(dirname "$0")/.."
# No session bus, so no notification service: announcements are balloons.
unset DBUS_SESSION_BUS_ADDRESS

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

# A new demo history starts with its seeded week, which the History picture shows.
rm -f demo-home/history.db demo-home/history.db-wal demo-home/history.db-shm
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

# A balloon is a small window of Skarvel's own beside its icon.
balloon_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class skarvel 2>/dev/null); do
    [ "$id" != "$window" ] && xwininfo -id "$id" | grep -q 'Height: *[4-9][0-9]$' && return 0
  done
  return 1
}

# The tray host sits at the bottom right of the screen; shown at twice its
# size, pixel for pixel, between two balloons.
for _ in $(seq 120); do
  if ! balloon_shown; then
    import -window root -crop 200x24+760+576 +repage -filter point -resize 200% docs/tray.png
    balloon_shown || break
  fi
  sleep 0.5
done

# A balloon comes with the next player who enters or leaves a server that
# announces them; it shows for ten seconds next to its icon.
for _ in $(seq 120); do balloon_shown && break; sleep 0.5; done
sleep 0.5
import -window root -crop 480x200+480+400 +repage docs/balloon.png

# The tray menu of the first icon of the tray host, once no balloon (a buddy
# joining, say) stands in front of it.
for _ in $(seq 60); do balloon_shown || break; sleep 0.5; done
read -r panel_x panel_y < <(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {
  split($NF, at, "+"); print at[2], at[3]; exit }')
xdotool mousemove $((panel_x + 12)) $((panel_y + 12)) click 3
sleep 1
xdotool mousemove 100 100
sleep 0.5
import -window root -crop 440x330+520+270 +repage docs/tray-menu.png
xdotool key Escape

# The about box, from the same menu: the last entry is Exit, About above it.
xdotool mousemove $((panel_x + 12)) $((panel_y + 12)) click 3
sleep 1
xdotool key Up Up Return
about=
for _ in $(seq 50); do
  about=$(xdotool search --onlyvisible --name '^About$' 2>/dev/null | head -1 || true)
  [ -n "$about" ] && break
  sleep 0.2
done
[ -n "$about" ] || { echo "the about box did not appear" >&2; exit 1; }
sleep 0.5
import -window "$about" -frame docs/about-box.png
xdotool key Return

# A window of the given title, once it shows.
wait_window() {
  local found=
  for _ in $(seq 50); do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && break
    sleep 0.2
  done
  [ -n "$found" ] || { echo "the window \"$1\" did not appear" >&2; exit 1; }
  sleep 0.5
  echo "$found"
}

# The settings dialog from File > Settings (Alt+S), each page by its accelerator.
xdotool windowactivate --sync "$window"
xdotool key alt+s
settings=$(wait_window Settings)
import -window "$settings" -frame docs/settings-addresses.png
xdotool key alt+g
sleep 0.5
import -window "$settings" -frame docs/settings-games.png
xdotool key alt+p
sleep 0.5
import -window "$settings" -frame docs/settings-application.png
xdotool key alt+b
sleep 0.5
import -window "$settings" -frame docs/settings-buddies.png
# The address dialog on the first address (Edit).
xdotool key alt+r
sleep 0.3
xdotool key alt+e
address=$(wait_window 'Address properties')
import -window "$address" -frame docs/address-dialog.png
xdotool key Escape
sleep 0.3
xdotool key Escape
sleep 0.5

# The server properties of the selected server (F2).
xdotool windowactivate --sync "$window"
xdotool key F2
properties=$(wait_window 'Server properties')
import -window "$properties" -frame docs/server-properties.png
xdotool key Escape
sleep 0.5

# The History window of the UT server, its row found by typing its
# description, from View › Server history; its week on view.
xdotool windowactivate --sync "$window"
xdotool type --delay 60 'Demo UT'
sleep 0.5
xdotool key alt+v
sleep 0.3
xdotool key y
history=$(wait_window 'History of Deck Party')
xdotool windowmove "$history" 120 60
xdotool key alt+7
sleep 1
import -window "$history" -frame docs/history.png
xdotool key alt+c
sleep 0.5

# German, chosen as a user would: Settings, Application, the language box
# (clicked, as it has no accelerator), typing Deutsch.lng, OK. The window and the
# dialog follow at once.
xdotool windowactivate --sync "$window"
xdotool key alt+s
settings=$(wait_window Settings)
xdotool key alt+p
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$settings")"
xdotool mousemove --window "$settings" 200 $((HEIGHT - 73)) click 1
sleep 0.5
xdotool key ctrl+a
xdotool type Deutsch.lng
xdotool key alt+o
sleep 1
import -window "$window" -frame docs/main-window-de.png
xdotool windowactivate --sync "$window"
xdotool key alt+s
settings=$(wait_window Einstellungen)
import -window "$settings" -frame docs/settings-de.png
xdotool key Escape
stop
scripts/notification-screenshot.sh
echo "docs/main-window.png docs/tray.png docs/balloon.png docs/tray-menu.png docs/about-box.png" \
  "docs/settings-*.png docs/address-dialog.png docs/server-properties.png docs/history.png" \
  "docs/main-window-de.png docs/settings-de.png docs/notification.png written"
