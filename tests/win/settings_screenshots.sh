#!/usr/bin/env bash
# Screenshots of the settings sheet's three pages and of the two fields choosers under a private
# Xvfb display: runs their tests from the win64 build with PTLY_SCREENSHOT_DIR set, which saves the
# pictures as PNG files in out/screenshots/. Build first: BUILDS=win64 TARGETS=win_tests scripts/build
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/out/screenshots"
mkdir -p "$out"
rm -f "$out"/settings-*.* "$out"/chooser-*.*
PTLY_SCREENSHOT_DIR="Z:${out//\//\\}" "$root/scripts/wine-run" "$root/build/win64/tests/win_tests.exe" \
  --gtest_filter='Settings.PublishEnablingRules:Settings.FieldListsAndTheirChoosers:Settings.ReadOtherTagsIsOnByDefaultAndStoredByApplyNotByCancel:Settings.ExtrasPageExportsAndImportsPlays'
ls "$out"
