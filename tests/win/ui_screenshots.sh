#!/usr/bin/env bash
# Screenshots of the About box and the template editor (normal and maximized) under a private
# Xvfb display: runs their tests from the win64 build with PTLY_SCREENSHOT_DIR set, which saves the
# pictures as PNG files in out/screenshots/. Build first: BUILDS=win64 TARGETS=win_tests scripts/build
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/out/screenshots"
mkdir -p "$out"
rm -f "$out"/about.* "$out"/editor-*.*
PTLY_SCREENSHOT_DIR="Z:${out//\//\\}" "$root/scripts/wine-run" "$root/build/win64/tests/win_tests.exe" \
  --gtest_filter='AboutDlgTest.*:HtmlEditDlgTest.ResizingMovesTheButtonsAndStretchesTheEdit:HtmlEditDlgTest.OkStoresThePlacementAndTheNextEditorOpensMaximized'
ls "$out"
