#!/usr/bin/env bash
# Runs ListPlays.exe under Wine on database files written here byte by byte (independent of the
# plug-in's own writer).   usage: listplays_test.sh <ListPlays.exe> <work folder>
set -uo pipefail
exe=$1 work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
run="$root/scripts/wine-run"
rm -rf "$work" && mkdir -p "$work" || exit 1

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
fail() { echo "FAIL: $*"; for f in "$work"/*.out "$work"/*.err; do echo "--- $f"; cat "$f"; done; exit 1; }
list() { # name file: runs the listing, leaving <name>.out, <name>.err and the exit code in $code
  "$run" "$exe" "$(winpath "$2")" >"$work/$1.out" 2>"$work/$1.err"
  code=$?
}

# Three plays: the same song twice around another one. Layout: the signature (a length byte and
# the text), two 32-bit version words, then per play its date, played and length seconds, the path
# (a length byte and the text) and the 125-byte tag body (title, artist, album 30 bytes each, year
# 4, comment 30, genre 1).
python3 - "$work/three.dat" "$work/cut.dat" <<'PY' || fail "cannot write the test databases"
import struct, sys
def text(s): return bytes([len(s)]) + s.encode('cp1252')
def place(s, width): return s.encode('cp1252')[:width].ljust(width, b'\0')
def play(date, played, length, path, title, artist, album, genre):
    return (struct.pack('<iii', date, played, length) + text(path) + place(title, 30) + place(artist, 30) +
            place(album, 30) + place('2003', 4) + place('', 30) + bytes([genre]))
head = text('Dozoderi Playtally WinAmp Plug-in') + struct.pack('<II', 0x00010002, 0)
tide = ('C:\\Music\\tide.mp3', 'Morning Tide', 'The Harbour Lights', 'Salt and Stone', 17)
lanterns = ('C:\\Music\\lanterns.mp3', 'Paper Lanterns', 'Mira Okafor', 'Night Market', 8)
data = head + play(1000000000, 8, 8, *tide) + play(1000000100, 10, 10, *lanterns) + play(1000000200, 7, 8, *tide)
open(sys.argv[1], 'wb').write(data)
open(sys.argv[2], 'wb').write(head[:12])
PY

list three "$work/three.dat"
[ "$code" -eq 0 ] || fail "listing a good database ended with $code"
grep -qx 'Database: .*three.dat (3 plays)' "$work/three.out" || fail "no play count line"
# The ranked table: the repeated song first with 2 hits and the time of both plays.
grep -A4 '^Ranked plays' "$work/three.out" >"$work/ranked.txt"
diff - "$work/ranked.txt" >/dev/null <<'TABLE' || fail "ranked table differs: $(cat "$work/ranked.txt")"
Ranked plays: most hits first, grouped by artist, title and album (2 rows)
#  hits  artist              title           album           played
-  ----  ------------------  --------------  --------------  --------
1     2  The Harbour Lights  Morning Tide    Salt and Stone  00:00:15
2     1  Mira Okafor         Paper Lanterns  Night Market    00:00:10
TABLE
# The log: every play, latest first (dates are local time, so only their order is checked).
grep -A5 '^Log of plays' "$work/three.out" | awk 'NR > 3 { print $1, $(NF-1), $NF }' >"$work/log.txt"
printf '%s\n' "1 00:00:08 00:00:07" "2 00:00:10 00:00:10" "3 00:00:08 00:00:08" | diff - "$work/log.txt" >/dev/null ||
  fail "log of plays differs: $(cat "$work/log.txt")"
# (Wine itself may write to the error stream when the display closes.)
! grep -q '^ListPlays' "$work/three.err" || fail "a good database gave messages"

list missing "$work/none.dat"
[ "$code" -eq 1 ] || fail "a missing file ended with $code"
grep -qF 'ListPlays: no such file: ' "$work/missing.err" || fail "no message for a missing file"
[ ! -s "$work/missing.out" ] || fail "a missing file was listed"

before=$(md5sum <"$work/cut.dat")
list cut "$work/cut.dat"
[ "$code" -eq 1 ] || fail "a damaged file ended with $code"
grep -qF 'ListPlays: cannot read ' "$work/cut.err" || fail "no message for a damaged file"
[ "$(md5sum <"$work/cut.dat")" = "$before" ] || fail "the damaged file was changed"
[ -z "$(find "$work" -name 'cut.dat.*')" ] || fail "the damaged file was moved or copied aside"

"$run" "$exe" >/dev/null 2>"$work/usage.err"
[ $? -eq 2 ] || fail "no argument: expected exit 2"
echo "listplays: all checks passed"
