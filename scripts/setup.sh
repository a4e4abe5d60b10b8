#!/usr/bin/env bash
# Installs the Debian 12 packages that Skarvel needs to build, test and run,
# only those that are missing; packages named as arguments join them.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-multimedia-dev qt6-charts-dev libgl-dev dbus-daemon
  libqt6opengl6-dev # Qt Charts finds its OpenGL module through it
  clang libclang-rt-14-dev clang-format clang-tidy git
  qstat openarena-server
  xvfb procps strace dunst
  nlohmann-json3-dev
  libsqlite3-dev sqlite3
  dpkg-dev desktop-file-utils appstream lintian iproute2
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done

if ((${#missing[@]})); then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

# The date tests also read and write dates in these locales.
for locale in en_US de_DE; do
  if ! locale -a 2>/dev/null | grep -qi "^${locale}\.utf-\?8$"; then
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" localedef -i "$locale" -f UTF-8 "$locale.UTF-8" 2>/dev/null || true
  fi
done
