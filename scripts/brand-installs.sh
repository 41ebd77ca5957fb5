#!/usr/bin/env bash
# Brands sample installs from a script, one VedArodCmd call each, and prints the time of
# every call (Wine's process start included) and the median.
#   scripts/brand-installs.sh [count=20] [entries per language=300]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
count=${1:-20}
entries=${2:-300}
build_native make_sample >/dev/null
build_win VedArodCmd standin >/dev/null
wine_env
wineserver -p  # one server for every call
dir=$(mktemp -d)
on_exit "rm -rf '$dir'; wineserver -k || true"
mkdir -p "$dir/art"
for i in $(seq 1 "$count"); do
    "$BUILD_NATIVE/samples/make_sample" "$dir/install$i" "$entries" \
        "$BUILD_WIN/samples/standin/standin.exe" >/dev/null
done
cp "$dir/install1/res/logo32.ico" "$dir/art/logo.ico"
cp "$dir/install1/res/login.bmp" "$dir/art/login.bmp"
times=()
for i in $(seq 1 "$count"); do
    brand="$dir/brand$i.ini"
    printf '[brand]\r\nedition = standard\r\nicon = art\\logo.ico\r\nstartup_image = art\\login.bmp\r\ncaption = 经销商 %s CAD\r\ndocument_name = 图纸 %s\r\napp_name = Cad%s\r\n[profile]\r\ncompany = 经销商 %s\r\nphone = 010-%04d\r\n[lang:lang_chs.ini]\r\nIDS_TIP_EDIT_00000 = 经销商 %s\r\n' \
        "$i" "$i" "$i" "$i" "$i" "$i" >"$brand"
    start=$(date +%s%N)
    env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$BUILD_WIN/app/VedArodCmd.exe" \
        brand "Z:${brand//\//\\}" "Z:${dir//\//\\}\\install$i\\ZovIDE.exe" >"$dir/out$i.txt" ||
        { cat "$dir/out$i.txt"; exit 1; }
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    times+=("$ms")
    echo "install $i: $ms ms"
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "median of %d: %d ms\n", NR, a[int((NR+1)/2)]}'
