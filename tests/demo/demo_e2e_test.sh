#!/usr/bin/env bash
# Runs the README's first command, scripts/demo.sh, as a user runs it: in a
# terminal session of its own, under a virtual display, on a machine without
# audio. The window must list a server of every game type and stay alive for
# at least 15 s; then Ctrl+C (SIGINT to the session's foreground group) must
# end the program and every emulator the demo started.
#   demo_e2e_test.sh VIEW_PROBE_LIBRARY
set -uo pipefail
probe_library=$1
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
demo_pid=
xvfb_pid=

cleanup() {
  [ -n "$demo_pid" ] && kill -KILL -- "-$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- the demo's output:" >&2
  cat "$work/demo.log" >&2
  echo "--- the server view:" >&2
  cat "$work/rows" >&2 2>/dev/null
  exit 1
}

# The names the demo gives its emulated servers, one per game type; the last
# one comes through the a2s plug-in.
servers=("Deck Party" "Rankin Brawl" "Q2 Base Camp" "Arena" "Office Classic" "Dust Patch"
  "Source Dust" "Fortress of Today")

lists_every_type() {
  local name
  for name in "${servers[@]}"; do
    grep -qF "$name" "$work/rows" 2>/dev/null || return 1
  done
}

# A free display: the server picks the number and tells it.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"

# A program folder of its own, as on a first run: a user's demo-home, with
# addresses and settings of their own, neither changes the test nor is polled.
export SKARVEL_DEMO_HOME="$work/demo-home"
# The seeded week is in the history too; only this run's polls count.
since=$(date -u +%Y-%m-%dT%H:%M:%SZ)

# setsid: the demo leads a session of its own, as in a terminal.
cd "$repo"
DISPLAY=":$(cat "$work/display")" LD_PRELOAD="$probe_library" SKARVEL_VIEW_PROBE="$work/rows" \
  setsid scripts/demo.sh >"$work/demo.log" 2>&1 </dev/null &
demo_pid=$!

# The demo may first have a build to finish.
program=
for _ in $(seq 1200); do
  program=$(pgrep -s "$demo_pid" -x skarvel | head -1)
  [ -n "$program" ] && break
  kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended early"
  sleep 0.25
done
[ -n "$program" ] || fail "the program did not start within 5 minutes"
started=$SECONDS

for _ in $(seq 240); do
  lists_every_type && break
  sleep 0.25
done
lists_every_type || fail "the window does not list a server of every game type"

while ((SECONDS - started < 15)); do sleep 1; done
kill -0 "$program" 2>/dev/null || fail "the program ended on its own"
lists_every_type || fail "after 15 s the window no longer lists every game type"
emulators=$(pgrep -s "$demo_pid" -c -x skarvel-fakeser)
((emulators == 8)) || fail "expected 8 emulators running, found $emulators"

# Ctrl+C in a terminal interrupts its whole foreground process group.
kill -INT -- "-$demo_pid"
for _ in $(seq 200); do
  [ -z "$(pgrep -s "$demo_pid")" ] && break
  sleep 0.1
done
left=$(pgrep -s "$demo_pid" -a)
[ -z "$left" ] || fail "still running 20 s after Ctrl+C: $left"
wait "$demo_pid"
status=$?
((status == 0 || status == 130)) || fail "the demo ended with status $status"
# The history plug-in kept this run's polls of every listed server.
history="$SKARVEL_DEMO_HOME/history.db"
for name in "${servers[@]}"; do
  polls=$(sqlite3 "$history" "SELECT count(*) FROM polls WHERE instr(name, '$name') > 0 AND time >= '$since'" 2>&1) ||
    fail "history.db cannot be read: $polls"
  ((polls > 0)) || fail "history.db holds no poll of \"$name\""
done

echo "PASS: every game type listed, alive after 15 s, all ended on Ctrl+C (status $status)"
