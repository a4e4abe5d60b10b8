#!/usr/bin/env bash
# The demo's settings on a second run: a user's changes to skarvel.ini stay;
# when the demo's own address list has changed, only the [Address] section
# follows it. Runs scripts/demo-home.sh, which scripts/demo.sh calls, on a
# scratch folder; nothing is started and nothing is polled.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
home="$work/demo-home"
ini="$home/skarvel.ini"

fail() {
  echo "FAIL: $*" >&2
  echo "--- skarvel.ini:" >&2
  cat "$ini" >&2
  exit 1
}

setup() {
  "$repo/scripts/demo-home.sh" "$home" || fail "demo-home.sh ended with status $?"
}

# The lines of one section, without its header.
section() {
  awk -v name="[$1]" '/^\[/ { inside = ($0 == name); next } inside' "$ini"
}

# Everything but the [Address] section.
others() {
  awk '/^\[/ { inside = ($0 == "[Address]") } !inside' "$ini"
}

setup
[ -f "$ini" ] || fail "the first run wrote no skarvel.ini"
demo_addresses=$(section Address)
(($(grep -c . <<<"$demo_addresses") == 8)) || fail "the demo lists 8 addresses"
grep -qvE '^127\.' <<<"$demo_addresses" && fail "the demo lists an address off loopback"

# The user edits addresses, buddies, a game's executable, the language and
# the window layout, as the program stores them.
sed -i 's/^1=Klesk$/1=Klesk\n2=Sarge/' "$ini"
sed -i '/^\[Address\]$/a 127.0.0.9:27961,q3=1,"My own"' "$ini"
sed -i '/^127\.0\.0\.1,q2=1,/d' "$ini"
sed -i '/^\[Appearance\]$/a Language=Deutsch.lng' "$ini"
cat >>"$ini" <<'INI'
[Game]
q3="/opt/quake3/quake3.x86" +set fs_game baseq3
[Window]
Width=900
INI
cp "$ini" "$work/edited.ini"
setup
cmp -s "$ini" "$work/edited.ini" || fail "a second run changed the user's skarvel.ini"

# A demo of an earlier version listed other addresses: the new list replaces
# them, every other section stays as the user left it.
others >"$work/others.ini"
printf '127.0.0.1,ut=1,"Demo UT"\n127.0.0.1:4000,q3=1,"Gone"\n' >"$home/.demo-addresses"
setup
[ "$(section Address)" = "$demo_addresses" ] || fail "the address list is not the demo's new one"
others | cmp -s - "$work/others.ini" || fail "sections other than [Address] changed"
setup
others | cmp -s - "$work/others.ini" || fail "a third run changed the settings"
(($(grep -c '^\[Address\]$' "$ini") == 1)) || fail "the [Address] section is not there once"

# With no address left the program would poll the LAN: the demo's list
# comes back, on loopback only.
sed -i '/^\[Address\]$/,/^\[/{/^[^[]/d}' "$ini"
[ -z "$(section Address)" ] || fail "the test did not empty the address list"
setup
[ "$(section Address)" = "$demo_addresses" ] || fail "an empty address list stays empty"
others | cmp -s - "$work/others.ini" || fail "refilling the addresses changed other sections"

echo "PASS: a second run keeps the user's settings, a new address list replaces only [Address]"
