#!/usr/bin/env bash
# Runs the stand-in player (WinAmp.exe) under Wine with the test plug-in gen_test.dll and checks
# its log and the plug-in's log.   usage: host_test.sh <case> <WinAmp.exe> <gen_test.dll> <work folder>
#   monitor    state, track and length changes seen by the real link; the monitor's plays
#   probe      the link's answers on request: null path, 50 answers of -1, delayed lengths
#   handover   a second instance hands its file to the running one
#   badscript  bad scripts and command lines end with a message and a non-zero exit
#   manifest32 the plug-in still loads beside the 32-bit player's winamp.exe.manifest, where an X86
#              common-controls assembly can be found (run with the real plug-in as <dll>)
set -uo pipefail
case=$1 exe=$2 dll=$3 work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
run="$root/scripts/wine-run"

rm -rf "$work"
mkdir -p "$work/Plugins"
cp "$exe" "$work/WinAmp.exe" && cp "$dll" "$work/Plugins/gen_test.dll" || { echo "FAIL ($case): cannot lay out $work"; exit 1; }
plog="$work/Plugins/gen_test.log"

# One display for every Wine process of the case: the instances must see each other's windows.
xvfb_pid=""
# The display goes after Wine's server has ended: its desktop process lives on this display.
end_display() {
  [ -n "$xvfb_pid" ] || return 0
  WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}" timeout 60 /usr/lib/wine/wineserver -w 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
}
trap end_display EXIT
if [ -z "${DISPLAY:-}" ]; then
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
fi

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
show() { for f in "$@"; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done; }
fail() { echo "FAIL ($case): $*"; show "$work/host.out" "$work/host.err" "$plog"; exit 1; }
has() { grep -qF -- "$2" "$1" || fail "$(basename "$1") lacks the line part: $2"; }
hasnt() { ! grep -qF -- "$2" "$1" || fail "$(basename "$1") should not contain: $2"; }
# in_order FILE PART...: the parts appear on lines in this order.
in_order() {
  local file=$1; shift
  # The parts go through the environment: awk -v would read their backslashes as escapes.
  PARTS="$(printf '%s\n' "$@")" awk '
    BEGIN { n = split(ENVIRON["PARTS"], want, "\n"); while (n > 0 && want[n] == "") n--; i = 1 }
    i <= n && index($0, want[i]) { i++ }
    END { exit i > n ? 0 : 1 }' "$file" || fail "$(basename "$file") lacks, in this order: $*"
}
# played FILE PATH N: the played seconds of the N-th finished play of PATH.
played() { grep -F "finished \"$2\"" "$1" | sed -n "$3p" | sed 's/.* played //'; }
between() { [ -n "$1" ] && [ "$1" -ge "$2" ] && [ "$1" -le "$3" ] || fail "$4: '$1' not within $2..$3"; }
host() { # runs the stand-in with the script given on stdin
  cat >"$work/script.txt"
  "$run" "$work/WinAmp.exe" "$(winpath "$work/script.txt")" >"$work/host.out" 2>"$work/host.err"
}

A=$(winpath "$work/music/a song.mp3")
B='C:\Music\b.mp3'
C=$(winpath "$work/music/c.mp3")

case $case in
monitor)
  host <<SCRIPT || fail "the stand-in failed"
# the monitor follows a play with a pause, a track change and a quit while playing
play "$A" 30
wait 2.2
pause
wait 4
resume
wait 1.2
length-delay 3
next "$B" 2
wait 3.5
echo after b
play "$A" 30
wait 1.2
quit
SCRIPT
  has "$plog" "init window ok"
  has "$plog" 'probe state stopped file ""'
  # A new track: its length is asked first, then its path.
  in_order "$plog" "state playing" "length 30" "file \"$A\"" "state paused" "state playing" \
    "file \"$B\"" "finished \"$A\" length 30" "length 2" "state stopped" "finished \"$B\" length 2" \
    "state playing" "length 30" "file \"$A\"" "finished \"$A\" length 30" "quit"
  # 3.4 s heard, the 4 s pause left out (whole seconds, each edge seen up to one poll late)
  between "$(played "$plog" "$A" 1)" 2 5 "first play of a"
  between "$(played "$plog" "$B" 1)" 1 3 "play of b"
  between "$(played "$plog" "$A" 2)" 0 2 "play of a ended by quit"
  [ "$(grep -c '^finished' "$plog")" -eq 3 ] || fail "expected three finished plays"
  out="$work/host.out"
  has "$out" 'main window of class "Winamp v1.x" created'
  has "$out" 'plugin gen_test.dll: init returned 0, description "Test plug-in of the playback tests"'
  has "$out" "request 104 (state) -> 1 playing"
  has "$out" "request 104 (state) -> 3 paused"
  has "$out" "request 104 (state) -> 0 stopped"
  has "$out" "request 125 (playlist index) -> 1"
  has "$out" "request 211 (path of entry 0) -> \"$A\""
  has "$out" "request 211 (path of entry 1) -> \"$B\""
  has "$out" "request 105 (length, wParam 1) -> -1 (not known yet: 2 more -1 answers)"
  has "$out" "request 105 (length, wParam 1) -> 2"
  in_order "$out" "entry 1 ended after 2 s" "end of the playlist: stopped" "echo: after b"
  in_order "$out" "plugin gen_test.dll: calling quit" "plugin gen_test.dll: unloaded" "requests answered: 104 x" "exit 0"
  ;;
probe)
  export GEN_TEST_MONITOR=0 GEN_TEST_CONFIG_BOX=1 GEN_TEST_INIT_BOX=1
  host <<SCRIPT || fail "the stand-in failed"
# a setting at the top: in force before the plug-ins load, for the box their init shows
dismiss 0.3
config 0.5
length-delay 3
play "$A" 7
config 0.5
pause
config 0.5
quit
SCRIPT
  # Empty playlist: the path request answers null, the length request -1 fifty times.
  in_order "$plog" 'probe state stopped file ""' "init box closed" "config" 'probe state stopped file "" length -1 ms' \
    "config box closed" "config" "probe state playing file \"$A\" length 7 ms" "config" \
    "probe state paused file \"$A\" length 7 ms" "quit"
  waited=$(grep -F 'length -1 ms' "$plog" | sed 's/.* ms //')
  between "$waited" 4900 9000 "milliseconds the link waited for a length"
  delayed=$(grep -F "length 7 ms" "$plog" | head -n1 | sed 's/.* ms //')
  between "$delayed" 250 2000 "milliseconds of three -1 answers"
  out="$work/host.out"
  has "$out" "request 211 (path of entry 0) -> null"
  in_order "$out" "script line 2: dismiss 0.3" "plugin gen_test.dll: loaded, calling init" \
    'closing window "gen_test init" (class #32770): init of the test plug-in' "init returned 0"
  has "$out" 'closing window "gen_test config" (class #32770): config of the test plug-in'
  # 105: 50 tries with the playlist empty, 3 -1 answers and the length, the length once more when
  # paused. 104: the init probe, then two for each config probe (its own and the length query).
  has "$out" "requests answered: 104 x 7, 105 x 55, 125 x 4, 211 x 4"
  ;;
handover)
  cat >"$work/script.txt" <<SCRIPT
play "$A" 60
wait 8
quit
SCRIPT
  "$run" "$work/WinAmp.exe" "$(winpath "$work/script.txt")" >"$work/host.out" 2>"$work/host.err" &
  primary=$!
  for _ in $(seq 200); do grep -q "wait 8 s" "$work/host.out" 2>/dev/null && break; sleep 0.1; done
  has "$work/host.out" "wait 8 s"
  sleep 1.5
  "$run" "$work/WinAmp.exe" "$C" >"$work/second.out" 2>"$work/second.err"
  rc=$?
  wait $primary || fail "the running instance failed"
  [ $rc -eq 0 ] || { show "$work/second.out" "$work/second.err"; fail "the second instance exited with $rc"; }
  has "$work/second.out" "another instance runs: handing over \"$C\""
  hasnt "$work/second.out" "main window of class"
  in_order "$work/host.out" "handed over by another instance: \"$C\"" "playing entry 0 \"$C\", length 180 s" \
    "request 211 (path of entry 0) -> \"$C\""
  in_order "$plog" "file \"$A\"" "file \"$C\"" "finished \"$A\" length 60" "length 180" "finished \"$C\" length 180"
  ;;
manifest32)
  # What Wine's 32-bit half puts in the prefix, planted where the loader looks second: the X86
  # common-controls assembly, its comctl32.dll a 32-bit DLL. With the manifest the plug-in writes
  # for the real (32-bit) player, a process that reads that manifest sends the plug-in's import of
  # comctl32.dll to the 32-bit file, and the plug-in "cannot be loaded (error 126)".
  assembly="$work/Microsoft.Windows.Common-Controls"
  mkdir -p "$assembly"
  dll32=$(i686-w64-mingw32-gcc-posix -print-file-name=libgcc_s_dw2-1.dll)
  [ -f "$dll32" ] || fail "no 32-bit DLL to plant (the i686 cross compiler's libgcc_s_dw2-1.dll)"
  cp "$dll32" "$assembly/comctl32.dll"
  printf '%s\r\n' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>' \
    '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">' \
    '<assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*"/>' \
    '<file name="comctl32.dll"/>' '</assembly>' >"$assembly/Microsoft.Windows.Common-Controls.manifest"
  # The plug-in's own manifest for the player, as it writes it at a first start.
  printf '%s\r\n' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>' \
    '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">' \
    '<assemblyIdentity version="2.0.0.0" processorArchitecture="X86" name="Nullsoft.Winamp.Winamp" type="win32"/>' \
    '<description>Winamp</description>' '<dependency>' '\t<dependentAssembly>' \
    '\t\t<assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*"/>' \
    '\t</dependentAssembly>' '</dependency>' '</assembly>' >"$work/winamp.exe.manifest"
  manifest_before=$(md5sum <"$work/winamp.exe.manifest")
  # The real plug-in under a name of its own: its settings key is then its own too.
  mv "$work/Plugins/gen_test.dll" "$work/Plugins/gen_manifest32.dll"
  host <<SCRIPT || fail "the stand-in failed"
# the plug-in's boxes of a first start are closed as they come
dismiss 0.5
play "$A" 5
wait 1
quit
SCRIPT
  out="$work/host.out"
  hasnt "$out" "cannot be loaded"
  in_order "$out" "plugin gen_manifest32.dll: loaded, calling init" "plugin gen_manifest32.dll: init returned 0" \
    "plugin gen_manifest32.dll: calling quit" "exit 0"
  [ "$(md5sum <"$work/winamp.exe.manifest")" = "$manifest_before" ] || fail "the player's manifest was changed"
  ;;
badscript)
  expect_bad() { # description, expected stderr part, arguments...
    local what=$1 part=$2; shift 2
    rm -f "$plog"
    "$run" "$work/WinAmp.exe" "$@" >"$work/host.out" 2>"$work/host.err"
    local rc=$?
    [ $rc -ne 0 ] || fail "$what: exit code 0"
    has "$work/host.err" "$part"
    [ ! -f "$plog" ] || fail "$what: the plug-in was loaded"
  }
  printf 'play a.mp3 10\n\n# fine so far\njump 3\nquit\n' >"$work/unknown.txt"
  expect_bad "unknown command" ':4: unknown command "jump"' "$(winpath "$work/unknown.txt")"
  printf 'wait soon\n' >"$work/badwait.txt"
  expect_bad "bad number" ':1: bad number of seconds "soon"' "$(winpath "$work/badwait.txt")"
  printf 'play "a.mp3 10\n' >"$work/quote.txt"
  expect_bad "open quote" ':1: missing closing quote' "$(winpath "$work/quote.txt")"
  printf 'play a.mp3\n' >"$work/args.txt"
  expect_bad "missing length" ':1: usage: play <path> <length in seconds>' "$(winpath "$work/args.txt")"
  expect_bad "missing script" 'cannot open the playback script' "$(winpath "$work/no such script.txt")"
  expect_bad "no arguments" 'usage: WinAmp.exe'
  ;;
*)
  fail "unknown case $case"
  ;;
esac
echo "PASS ($case)"
