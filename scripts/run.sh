#!/usr/bin/env bash
# Builds the tool and starts it under Wine on the user's display, in a sample install
# folder of the target application (generated when none exists; pick its ZovIDE.exe with
# "...."). Without a display it starts the tool under Xvfb, saves a screenshot of the main
# window and prints the file's path. VedArodCmd is built too, for Windows and natively.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
ensure_packages
build_win VedArod VedArodCmd standin >/dev/null
build_native make_sample VedArodCmd >/dev/null

sample="$ROOT/build/sample/ZovIDE"
if [ ! -f "$sample/ZovIDE.exe" ]; then
    "$BUILD_NATIVE/samples/make_sample" "$sample" 300 "$BUILD_WIN/samples/standin/standin.exe"
fi
echo "Sample install folder: $sample (pick ZovIDE.exe there with \"....\")"
echo "VedArodCmd: $BUILD_WIN/app/VedArodCmd.exe (under Wine), $BUILD_NATIVE/app/VedArodCmd (Linux)"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    wine_env
    cd "$sample"
    exec env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$BUILD_WIN/app/VedArod.exe"
fi
exec "$ROOT/scripts/screenshot.sh" "$ROOT/build/screenshot/main.png" "$sample"
