#!/usr/bin/env bash
# Demo settings: writes the demo's skarvel.ini into its program folder, which
# lists only the emulated servers on loopback. A skarvel.ini already there is
# the user's: it stays as it is (buddies, game executables, language, layout,
# and the addresses too), unless the demo's own address list has changed since
# it was written, or no address is left. Then only its [Address] section is
# replaced by the demo's list, so that the program never polls what the
# emulators no longer serve, nor its default; every other section stays.
# .demo-addresses beside it remembers the list written.
#   scripts/demo-home.sh demo-home
set -euo pipefail
home=$1
ini="$home/skarvel.ini"
stamp="$home/.demo-addresses"

addresses='127.0.0.1,ut=1,"Demo UT"
127.0.0.1:7787,u4=1,"Demo UT2004"
127.0.0.1,q2=1,"Demo Quake 2"
127.255.255.255,q3=1,"Demo Quake 3 LAN"
127.0.0.1,cs=1,"Demo Counter-Strike"
127.0.0.1:27016,csp=1,"Demo CS (patch)"
127.255.255.255:27017,css=1,"Demo CS: Source LAN"
127.0.0.1:27020,a2s=1,"Demo Source"'

mkdir -p "$home"
if [ ! -e "$ini" ]; then
  cat >"$ini" <<INI
[Common]
Version=2.5
[Network]
CheckUpdates=0
Interval=3000
MaxWaitAnswer=300
[Appearance]
StartInTray=0
TrayNew=0
[Address]
$addresses
[Description]
127.0.0.1,ut="Demo UT",,,,1,1,1,0
127.0.0.1,q2="Demo Quake 2",,,,1,1,1,0
127.0.0.1,cs="Demo Counter-Strike",,,,0,1,1,0
[Buddies]
0=*baron
1=Klesk
INI
# An empty list would make the program poll its default, the LAN's broadcast
# address: the demo's list comes back then too.
elif [ "$(cat "$stamp" 2>/dev/null)" != "$addresses" ] ||
  ! awk '/^\[/ { inside = ($0 ~ /^\[Address\][ \t\r]*$/); next } inside && /[^ \t\r]/ { found = 1 }
    END { exit !found }' "$ini"; then
  # The section's lines up to the next section give way to the new list; a
  # file without the section gets it at the end.
  updated=$(mktemp "$home/skarvel.ini.XXXXXX")
  ADDRESSES=$addresses awk '
    /^\[/ { skipping = 0 }
    /^\[Address\][ \t\r]*$/ { print; print ENVIRON["ADDRESSES"]; skipping = 1; written = 1; next }
    !skipping { print }
    END { if (!written) { print "[Address]"; print ENVIRON["ADDRESSES"] } }
  ' "$ini" >"$updated"
  mv "$updated" "$ini"
fi
printf '%s\n' "$addresses" >"$stamp"
