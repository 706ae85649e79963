#!/usr/bin/env bash
# Screenshots of the Playtally window's track list under a private Xvfb display: Log mode sorted by
# date, Playtally mode sorted by hits, and a selected row while another control has the focus.
# Runs the list's tests from the win64 build with PTLY_SCREENSHOT_DIR set, which saves the pictures
# as PNG files in out/screenshots/. Build first: BUILDS=win64 TARGETS=win_tests scripts/build
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/out/screenshots"
mkdir -p "$out"
rm -f "$out"/playtally-*.*
PTLY_SCREENSHOT_DIR="Z:${out//\//\\}" "$root/scripts/wine-run" "$root/build/win64/tests/win_tests.exe" \
  --gtest_filter='TrackListTest.HeaderClicksSortEachKindOfColumnBothWays:TrackListTest.ASelectedRowIsHighlightedToTheRightEdgeWithoutTheFocus'
ls "$out"/playtally-*
