#!/usr/bin/env bash
# Runs the window tests that ask the system for its DPI in a prefix of their own, set to 144 and
# then to 192 DPI. Wine reads a prefix's DPI (HKCU\Control Panel\Desktop LogPixels) as each process
# starts, so the value is set before each run and the test is told which DPI to expect.
# Usage: system_dpi.sh path/to/window_tests.exe   (DISPLAY and TESSARY_WINEPREFIX set, as ctest does)
set -euo pipefail

tests="$(realpath "$1")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "system_dpi: DISPLAY is not set" >&2; exit 1; }
[ -n "${TESSARY_WINEPREFIX:-}" ] || { echo "system_dpi: TESSARY_WINEPREFIX is not set" >&2; exit 1; }
trap 'WINEPREFIX="$TESSARY_WINEPREFIX" wineserver -k 2>/dev/null || true' EXIT

desktop='HKCU\Control Panel\Desktop'
status=0
for dpi in 144 192; do
  echo "== $dpi DPI"
  "$root/scripts/wine-run" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  log="$(TESSARY_EXPECT_DPI="$dpi" "$root/scripts/wine-run" "$tests" --gtest_filter='SystemDpi.*' --gtest_color=no 2>&1 |
    tr -d '\r')" || status=1
  echo "$log"
  # A filter that matches nothing passes too: the test must have run.
  grep -q '^\[       OK \] SystemDpi\.' <<<"$log" || { echo "system_dpi: no test ran at $dpi DPI" >&2; status=1; }
done
exit $status
