#!/usr/bin/env bash
# VedArodCmd built natively and VedArodCmd.exe under Wine apply the README's example brand to
# two copies of one sample install; the two install folders must be byte-identical (every
# file: executable, pictures, profiles, language files). The example's language entry is
# IDS_APP_TITLE, which the sample's language files do not have: IDS_TIP_EDIT_00000 stands in.
# Uses the existing builds (scripts/test.sh makes them).
#   scripts/cmd-agree.sh
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wine_env || exit 1
dir=$(mktemp -d)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$dir"' EXIT

"$BUILD_NATIVE/samples/make_sample" "$dir/native/ZovIDE" 200 \
    "$BUILD_WIN/samples/standin/standin.exe" >/dev/null || exit 1
cp -a "$dir/native" "$dir/wine"
mkdir -p "$dir/art"
cp "$ROOT/samples/standin/standin.ico" "$dir/art/a.ico"
cp "$dir/native/ZovIDE/res/login.bmp" "$dir/art/login.bmp"
# The example block of the README (indented by four blanks), as a Windows editor saves it.
awk '/^    ; brand of reseller A/ { on = 1 } on && /^[^ ]/ { exit } on { sub(/^    /, ""); print }' \
    "$ROOT/README.md" | sed 's/^IDS_APP_TITLE =/IDS_TIP_EDIT_00000 =/; s/$/\r/' >"$dir/brand.ini"
grep -q '^\[lang:' "$dir/brand.ini" || { echo "no example brand found in README.md"; exit 1; }

"$BUILD_NATIVE/app/VedArodCmd" brand "$dir/brand.ini" "$dir/native/ZovIDE/ZovIDE.exe" \
    >"$dir/native.txt" 2>&1
native=$?
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$BUILD_WIN/app/VedArodCmd.exe" \
    brand "$(winpath "$dir/brand.ini")" "$(winpath "$dir/wine/ZovIDE/ZovIDE.exe")" \
    >"$dir/wine.txt" 2>&1 </dev/null
wine=$?

status=0
if [ "$native" -ne 0 ] || [ "$wine" -ne 0 ]; then
    echo "exit codes: native $native, Wine $wine"
    sed 's/^/native: /' "$dir/native.txt"
    sed 's/^/wine:   /' "$dir/wine.txt"
    status=1
fi
if ! diff -r "$dir/native/ZovIDE" "$dir/wine/ZovIDE" >"$dir/diff.txt"; then
    echo "the install folders differ:"
    head -n 20 "$dir/diff.txt"
    status=1
fi
# Something was branded at all: the executable was renamed and the profile written.
for f in ACad.exe config/VirUdezed.cfg; do
    [ -f "$dir/native/ZovIDE/$f" ] || { echo "missing after the brand: $f"; status=1; }
done
[ "$status" -eq 0 ] && echo "VedArodCmd natively and under Wine: identical installs ($(find "$dir/native/ZovIDE" -type f | wc -l) files)"
exit $status
