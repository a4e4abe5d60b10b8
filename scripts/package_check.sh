#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) from a build folder, checks it with
# lintian, desktop-file-validate and appstreamcli, installs it with dpkg,
# tries the installed programs, and removes it again, checking that nothing
# of it is left. The programs run in a network namespace of their own with
# only loopback up, on settings that list only loopback addresses, with a
# fresh XDG_CONFIG_HOME and HOME, so they neither reach the network nor
# touch the machine's own settings. Every step is bounded in time; any
# failure ends the script with a message and a non-zero exit code, after the
# package is removed.
#
# Usage: scripts/package_check.sh [BUILD_FOLDER]   (default: build)
# Installing needs root (sudo is used when not root); a package "skarvel"
# installed already stops the check, so it never replaces a user's copy.
set -euo pipefail

# The second half runs inside the network namespace.
if [ "${1:-}" = --inside ]; then
  work=$2
  ip link set lo up
  export HOME=$work/home XDG_CONFIG_HOME=$work/config
  folder=$XDG_CONFIG_HOME/skarvel

  # A Quake 3 server, and a Source server that only the installed a2s
  # plug-in can poll.
  skarvel-fakeserver --game q3 --port 27960 --name "Package Check" --players 2 \
    >"$work/q3.out" 2>&1 &
  emulators=($!)
  skarvel-fakeserver --game a2s --port 27020 --name "Package Plugin" --players 1 \
    >"$work/a2s.out" 2>&1 &
  emulators+=($!)
  window=
  trap 'kill "${emulators[@]}" $window 2>/dev/null || true' EXIT
  for out in q3 a2s; do
    for _ in $(seq 100); do
      grep -q '^ready ' "$work/$out.out" && break
      sleep 0.1
    done
    grep -q '^ready ' "$work/$out.out" || {
      echo "the installed emulator did not start:" >&2
      cat "$work/$out.out" >&2
      exit 1
    }
  done

  # Only loopback, no update check; no version, so that the program writes
  # one: that shows it took its settings from the per-user folder.
  mkdir -p "$folder"
  printf '[Network]\nInterval=1000\nMaxWaitAnswer=300\nCheckUpdates=0\n[Address]\n127.0.0.1:27960,q3=1\n127.0.0.1:27020,a2s=1\n' \
    >"$folder/skarvel.ini"

  echo "== skarvel-cli --once --json"
  timeout 60 skarvel-cli --once --json >"$work/once.json"
  cat "$work/once.json"
  grep -q '"name": *"Package Check"' "$work/once.json" || {
    echo "skarvel-cli did not list the emulated server" >&2
    exit 1
  }
  grep -q '"game": *"a2s", *"name": *"Package Plugin"' "$work/once.json" || {
    echo "skarvel-cli did not poll through the installed a2s plug-in" >&2
    exit 1
  }
  # The optional history plug-in is installed but not loaded.
  [ ! -e "$folder/history.db" ] || {
    echo "the optional history plug-in was loaded without being copied" >&2
    exit 1
  }
  grep -q '^Version=' "$folder/skarvel.ini" || {
    echo "skarvel-cli did not use $folder/skarvel.ini" >&2
    exit 1
  }

  echo "== skarvel offscreen"
  QT_QPA_PLATFORM=offscreen skarvel -debug &
  window=$!
  # The emulated server has players, so the online sound plays: the shipped
  # users.wav, through the installed audio module. Up to 15 s.
  sound=0
  for _ in $(seq 150); do
    grep -q '/skarvel/libskarvel_sound\.so' "/proc/$window/maps" 2>/dev/null && sound=1 && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
  done
  sleep 2 # a few seconds more of polling
  kill -TERM "$window" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$window" 2>/dev/null || true
  code=0
  wait "$window" || code=$?
  [ "$code" -eq 0 ] || {
    echo "skarvel ended with exit code $code (0 expected after SIGTERM)" >&2
    exit 1
  }
  [ "$sound" -eq 1 ] || {
    echo "skarvel did not load the installed audio module for the shipped users.wav" >&2
    exit 1
  }
  # The layout is saved at a clean end, into the per-user folder.
  grep -q '^\[Window\]' "$folder/skarvel.ini" || {
    echo "skarvel did not save its layout into $folder/skarvel.ini" >&2
    exit 1
  }
  grep -q ' <127\.0\.0\.1:27960 ' "$folder/skarvel.err" || {
    echo "skarvel's trace shows no answer of the emulator" >&2
    exit 1
  }
  # XDG_CONFIG_HOME was followed: nothing in the home folder's own .config.
  [ ! -e "$HOME/.config/skarvel" ] || {
    echo "the programs made $HOME/.config/skarvel" >&2
    exit 1
  }
  exit 0
fi

cd "$(dirname "$0")/.."
build=${1:-build}
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

fail() {
  echo "package check: $*" >&2
  exit 1
}

if dpkg-query -W -f='${Status}' skarvel 2>/dev/null | grep -q 'installed'; then
  fail "a package skarvel is installed already; remove it first (dpkg -r skarvel)"
fi

work=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    "${sudo[@]}" dpkg -r skarvel >/dev/null || echo "package check: dpkg -r skarvel failed" >&2
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

echo "== building the package"
# A system package installs under /usr; only the files that name their
# folders are built again.
cmake -S . -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)" --target skarvel_install_inputs
rm -f "$build"/skarvel_*.deb
(cd "$build" && timeout 600 cpack -G DEB)
deb=$(ls "$build"/skarvel_*.deb)
[ -f "$deb" ] || fail "cpack made no package"
dpkg-deb --info "$deb"

echo "== validators"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/skarvel.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.skarvel.Skarvel.metainfo.xml"
for page in "$work"/root/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# Errors fail the check; warnings and notes are shown (README lists them).
timeout 600 lintian --info --display-info --fail-on error "$deb"

echo "== installing"
installed=1
"${sudo[@]}" dpkg -i "$deb"
[ "$(command -v skarvel-cli)" = /usr/bin/skarvel-cli ] || fail "skarvel-cli is not on PATH"
version=$(skarvel-cli --version)
echo "$version"
[[ "$version" =~ ^skarvel-cli\ [0-9]+\.[0-9]+ ]] || fail "unexpected version line: $version"

mkdir -p "$work/home" "$work/config"
namespace=(unshare -n)
[ "$(id -u)" -eq 0 ] || namespace=(unshare -rn)
env -u SKARVEL_HOME "${namespace[@]}" bash "$0" --inside "$work"

echo "== removing"
"${sudo[@]}" dpkg -r skarvel
installed=0
status=$(dpkg-query -W -f='${Status}' skarvel 2>/dev/null || true)
[[ -z "$status" || "$status" == *not-installed* ]] || fail "skarvel is still there: $status"
# Every file of the package, and its own folders (those named skarvel, such
# as the plug-in folder, where nothing may have been written meanwhile).
left=()
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] && left+=("$path")
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p; s|/skarvel/$|/skarvel|p')
((${#left[@]} == 0)) || fail "left after dpkg -r: ${left[*]}"
echo "package check: passed ($(basename "$deb"))"
