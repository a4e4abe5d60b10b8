#!/usr/bin/env bash
# Builds Skarvel and starts it on a demo program folder whose settings list
# loopback addresses only. Without a display it runs on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build
cmake --build build -j"$(nproc)" --target skarvel

home="$PWD/demo-home"
mkdir -p "$home"
if [ ! -f "$home/skarvel.ini" ]; then
  cat >"$home/skarvel.ini" <<'INI'
[Network]
CheckUpdates=0
Interval=3000
[Appearance]
StartInTray=0
[Address]
127.0.0.1,ut=1,"Demo UT"
127.0.0.1,u4=1,"Demo UT2004"
127.0.0.1,q2=1,"Demo Quake 2"
127.0.0.1,q3=1,"Demo Quake 3"
127.0.0.1,cs=1,"Demo Counter-Strike"
127.0.0.1:27016,csp=1,"Demo Counter-Strike (patch)"
127.0.0.1:27017,css=1,"Demo Counter-Strike: Source"
INI
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: Skarvel runs on the offscreen platform. Ctrl+C ends it."
  export QT_QPA_PLATFORM=offscreen
fi
echo "Program folder: $home"
exec env SKARVEL_HOME="$home" build/app/skarvel "$@"
