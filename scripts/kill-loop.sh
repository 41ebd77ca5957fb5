#!/usr/bin/env bash
# Brands copies of a sample install with VedArodCmd and kills each run at a random moment
# (SIGKILL: the process ends where it is, as TerminateProcess ends it), then, every other
# round, brands again to completion; then restores and compares the install folder with a
# pristine copy. Prints one line per round and the counts.
#   scripts/kill-loop.sh [rounds=40] [longest delay in ms=1200] [entries per language=300]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rounds=${1:-40}
longest=${2:-1200}
entries=${3:-300}
build_native make_sample >/dev/null
build_win VedArodCmd standin >/dev/null
wine_env
wineserver -k 2>/dev/null || true
wineserver -p  # one server for every call, outside the runs' process groups
# Wine brings its session up (services, devices) with the first program it starts; a kill
# during that leaves the session waiting for good, so it is brought up before the loop.
cmd_env() { env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" "$@"; }
cmd_env wine "$BUILD_WIN/app/VedArodCmd.exe" --help >/dev/null
dir=$(mktemp -d)
on_exit "rm -rf '$dir'; wineserver -k || true"
"$BUILD_NATIVE/samples/make_sample" "$dir/pristine/ZovIDE" "$entries" \
    "$BUILD_WIN/samples/standin/standin.exe" >/dev/null
mkdir -p "$dir/art"
cp "$dir/pristine/ZovIDE/res/logo32.ico" "$dir/art/logo.ico"
cp "$dir/pristine/ZovIDE/res/login.bmp" "$dir/art/login.bmp"
brand="$dir/brand.ini"
printf '[brand]\r\nicon = art\\logo.ico\r\nstartup_image = art\\login.bmp\r\ncaption = 经销商 CAD\r\ndocument_name = 图纸\r\napp_name = ResCad\r\n[profile]\r\ncompany = 经销商\r\n[lang:lang_chs.ini]\r\nIDS_TIP_EDIT_00000 = 经销商\r\n[lang:lang_en.ini]\r\nIDS_TIP_EDIT_00000 = Reseller\r\n' >"$brand"
win() { printf 'Z:%s' "${1//\//\\}"; }
cmd() { env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$BUILD_WIN/app/VedArodCmd.exe" "$@"; }
exe_of() { if [ -f "$1/ResCad.exe" ]; then echo "$1/ResCad.exe"; else echo "$1/ZovIDE.exe"; fi; }
killed=0 finished=0 identical=0 differing=0 restore_failed=0 leftovers=0
for round in $(seq 1 "$rounds"); do
    work="$dir/work/ZovIDE"
    rm -rf "$dir/work"
    mkdir -p "$dir/work"
    cp -a "$dir/pristine/ZovIDE" "$work"
    delay=$((RANDOM % longest))
    # Its own process group, so that the kill reaches every process Wine started for it.
    setsid env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine \
        "$BUILD_WIN/app/VedArodCmd.exe" brand "$(win "$brand")" "$(win "$work/ZovIDE.exe")" \
        >"$dir/out.txt" 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    if kill -9 -- "-$pid" 2>/dev/null; then
        outcome=killed
        killed=$((killed + 1))
    else
        outcome=finished
        finished=$((finished + 1))
    fi
    wait "$pid" 2>/dev/null || true
    while kill -0 -- "-$pid" 2>/dev/null; do sleep 0.05; done
    note=""
    if [ $((round % 2)) -eq 0 ]; then
        if cmd brand "$(win "$brand")" "$(win "$(exe_of "$work")")" >"$dir/again.txt" 2>&1; then
            note=" then branded again"
        else
            note=" then branded again (failed: $(tr -d '\r' <"$dir/again.txt" | head -n 2 | tr '\n' ' '))"
        fi
    fi
    if ! cmd restore "$(win "$(exe_of "$work")")" >"$dir/restore.txt" 2>&1; then
        restore_failed=$((restore_failed + 1))
        note="$note, restore failed: $(tr -d '\r' <"$dir/restore.txt" | head -n 3 | tr '\n' ' ')"
    fi
    if diff -r "$dir/pristine/ZovIDE" "$work" >/dev/null; then
        identical=$((identical + 1))
        result=identical
    else
        differing=$((differing + 1))
        result="DIFFERENT: $(diff -rq "$dir/pristine/ZovIDE" "$work" | head -n 3 | tr '\n' ' ')"
    fi
    if [ -e "$work.VedArodBackup" ]; then
        leftovers=$((leftovers + 1))
        result="$result, backup folder left"
    fi
    echo "round $round: $outcome after ${delay} ms$note; restored tree $result"
done
echo "rounds $rounds: killed $killed, finished $finished; restored identical $identical," \
    "different $differing, restore failed $restore_failed, backup folder left $leftovers"
[ "$differing" -eq 0 ] && [ "$restore_failed" -eq 0 ] && [ "$leftovers" -eq 0 ]
