#!/usr/bin/env bash
# Demo seed: writes a made-up week of polls of the demo's Unreal Tournament
# server ("Deck Party" at 127.0.0.1) into a new history database, so that the
# History window of the demo shows a week's curve at once. A poll every two
# minutes, busy in the local evening (more so at the weekend), quiet at
# night, with a few hours off three days ago; the players come from a fixed
# list. The demo's own polls follow on from now. Does nothing when the database already exists.
#   scripts/seed-demo-history.sh demo-home/history.db
set -euo pipefail
database=$1
[ -e "$database" ] && exit 0

sqlite3 "$database" >/dev/null <<'SQL'
PRAGMA journal_mode=WAL;
BEGIN;
-- The history plug-in's tables, as it makes them.
CREATE TABLE IF NOT EXISTS polls(id INTEGER PRIMARY KEY, time TEXT NOT NULL, address TEXT,
  game TEXT, title TEXT, name TEXT, map TEXT, players INTEGER, max_players INTEGER);
CREATE TABLE IF NOT EXISTS poll_players(poll_id INTEGER NOT NULL REFERENCES polls(id), name TEXT,
  frags INTEGER);
CREATE INDEX IF NOT EXISTS polls_by_server ON polls(game, address, time);
CREATE INDEX IF NOT EXISTS poll_players_by_name ON poll_players(name, poll_id);
CREATE INDEX IF NOT EXISTS poll_players_by_poll ON poll_players(poll_id);
PRAGMA user_version = 1;

-- Players on average by local hour of the day.
CREATE TEMP TABLE profile(hour INTEGER PRIMARY KEY, players INTEGER);
INSERT INTO profile VALUES (0, 6), (1, 4), (2, 2), (3, 1), (4, 0), (5, 0), (6, 0), (7, 1), (8, 1),
  (9, 2), (10, 2), (11, 3), (12, 4), (13, 4), (14, 3), (15, 3), (16, 4), (17, 6), (18, 8), (19, 10),
  (20, 12), (21, 13), (22, 11), (23, 9);
CREATE TEMP TABLE roster(slot INTEGER PRIMARY KEY, name TEXT);
INSERT INTO roster VALUES (0, 'Wraith'), (1, 'Malcom'), (2, 'Brock'), (3, 'Dominator'),
  (4, 'Lauren'), (5, 'Kragoth'), (6, 'Tamika'), (7, 'Othello'), (8, 'Visse'), (9, 'Cathode'),
  (10, 'Ariel'), (11, 'Nikita'), (12, 'Rylisa'), (13, 'Gorge'), (14, 'Kira'), (15, 'Sarge');

-- Two minutes apart, the newest two minutes ago; none from 76 to 73 hours ago.
WITH RECURSIVE ago(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM ago WHERE n < 7 * 24 * 30),
polled(n, at) AS (SELECT n, datetime('now', '-' || (n * 120) || ' seconds') FROM ago
                  WHERE n NOT BETWEEN 73 * 30 AND 76 * 30)
INSERT INTO polls(time, address, game, title, name, map, players, max_players)
SELECT strftime('%Y-%m-%dT%H:%M:%SZ', at), '127.0.0.1', 'ut', 'Demo UT', 'Deck Party',
       'DM-Deck16][', max(0, min(16, profile.players + mood + abs(random()) % 3 - 1)), 16
FROM (SELECT n, at,
             -- Friday and Saturday evenings are busier; each hour has a mood of its own.
             CASE WHEN strftime('%w', at, 'localtime') IN ('5', '6') THEN 2 ELSE 0 END
               + (CAST(strftime('%j%H', at, 'localtime') AS INTEGER) * 7919) % 7 - 3 AS mood
      FROM polled)
JOIN profile ON profile.hour = CAST(strftime('%H', at, 'localtime') AS INTEGER)
ORDER BY n DESC;

-- The roster turns by one player about every six hours.
WITH RECURSIVE slots(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM slots WHERE i < 15)
INSERT INTO poll_players(poll_id, name, frags)
SELECT polls.id, roster.name, abs(random()) % 30
FROM polls JOIN slots ON slots.i < polls.players
JOIN roster ON roster.slot = (slots.i + polls.id / 180) % 16;
COMMIT;
SQL
