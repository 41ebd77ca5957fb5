#!/usr/bin/env bash
# screenshot.sh <out.png> [folder to start in]
# Starts the built tool under Wine on a private Xvfb display, saves a PNG of its main window
# and prints the file's path.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
out=${1:-$ROOT/build/screenshot/main.png}
start_dir=${2:-$ROOT/build}
exe="$BUILD_WIN/app/VedArod.exe"
[ -f "$exe" ] || { echo "not built: $exe" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
wine_env || exit 1
start_xvfb || exit 1

(cd "$start_dir" && LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$exe" >/dev/null 2>&1) &
window=""
for _ in $(seq 1 60); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"ZavEriva"/ {print $1; exit}')
    [ -n "$window" ] && break
    sleep 0.5
done
if [ -z "$window" ]; then
    echo "the main window did not appear" >&2
    exit 1
fi
sleep 1.5  # let it paint
import -window "$window" "$out" 2>/dev/null || { echo "screenshot failed" >&2; exit 1; }
echo "$out"
