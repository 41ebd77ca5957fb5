#!/usr/bin/env bash
# Builds everything and runs every test: natively (with sanitizers) and under Wine.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
set -e
ensure_packages
build_native
build_win
set +e

LOGS="$ROOT/build/test-logs"
mkdir -p "$LOGS"
status=0

echo "== native tests"
(cd "$BUILD_NATIVE" && ctest -j "$JOBS" --output-on-failure --output-log "$LOGS/native.log") \
    >"$LOGS/native.out" 2>&1 || status=1
tail -n 25 "$LOGS/native.out" | grep -vE '^\s*$' | grep -E 'Failed|\*\*\*|tests passed' || true

echo "== Windows tests under Wine"
wine_env || exit 1
start_xvfb || exit 1
mount_full_disk
(cd "$BUILD_WIN" && ctest -V --output-on-failure --output-log "$LOGS/win.log") \
    >"$LOGS/win.out" 2>&1 || status=1
# Each failure with the lines that say why (a console run's output, say).
grep -E -A 12 ': Failure$' "$LOGS/win.out" | head -n 150 || true
grep -E '\[  FAILED  \]|\*\*\*' "$LOGS/win.out" | head -n 20 || true

echo "== VedArodCmd natively and under Wine on one brand"
agree=$("$ROOT/scripts/cmd-agree.sh" 2>&1) || status=1
echo "$agree"

echo "== screenshots of the main window (start, with the sample target loaded), the find dialog and a brand's question"
sample="$ROOT/build/screenshot/sample/ZovIDE"
rm -rf "$ROOT/build/screenshot/sample"
"$BUILD_NATIVE/samples/make_sample" "$sample" 300 "$BUILD_WIN/samples/standin/standin.exe"
shot=$("$ROOT/scripts/screenshot.sh" "$ROOT/build/screenshot/main.png" "$sample") || status=1
echo "${shot:-no screenshot}"

echo "== summary"
echo "native:  $(grep -E 'tests passed' "$LOGS/native.out" | tail -n 1)"
grep -E '^[0-9]+: \[==========\] .* ran|^[0-9]+: \[  (PASSED|FAILED)  \] [0-9]+ test' "$LOGS/win.out" |
    sed 's/^/windows: /'
echo "windows: $(grep -E 'tests passed' "$LOGS/win.out" | tail -n 1)"
echo "console: $(echo "$agree" | tail -n 1)"
exit $status
