#!/usr/bin/env bash
# screenshot.sh <out.png> [install folder]
# Starts the built tool under Wine on a private Xvfb display, saves a PNG of its main window
# and prints the file's path. Given a sample install folder (it starts there), it then picks
# the folder's ZovIDE.exe through "...." and the real file dialog, as a user would, and saves
# <out>-selected.png with the target loaded, and find_replace.png beside it with the
# "查找和替换" dialog opened from the system menu.
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

# The id of the window with that title, waiting up to tries half-seconds; empty when none.
window_named() {
    local id="" _
    for _ in $(seq 1 "$2"); do
        id=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\"" 'index($0, t) {print $1; exit}')
        [ -n "$id" ] && break
        sleep 0.5
    done
    echo "$id"
}

if [ -f "$start_dir/ZovIDE.exe" ] && command -v xdotool >/dev/null; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The dialog is 707 x 374 dialog units below a caption bar; "...." (1003) sits at
    # (420, 20) and is 19 x 14 units.
    caption=24
    x=$((X + WIDTH * 429 / 707))
    y=$((Y + caption + (HEIGHT - caption) * 27 / 374))
    xdotool mousemove "$x" "$y" click 1
    sleep 2
    xdotool type --delay 20 "Z:$(echo "$start_dir/ZovIDE.exe" | tr / '\\')"
    xdotool key Return
    sleep 3
    selected="${out%.png}-selected.png"
    import -window "$window" "$selected" 2>/dev/null && echo "$selected"

    # "查找和替换(&F)..." from the system menu (Alt+Space, then F), a find text typed into
    # it: saved as find_replace.png beside <out>, then closed with Escape.
    xdotool key alt+space
    sleep 1
    xdotool key f
    find_window=$(window_named "查找和替换" 20)
    if [ -n "$find_window" ]; then
        xdotool type --delay 20 "ZovIDE"
        sleep 1
        find_shot="$(dirname "$out")/find_replace.png"
        import -window "$find_window" "$find_shot" 2>/dev/null && echo "$find_shot"
        xdotool key Escape
    else
        echo "the find and replace dialog did not appear" >&2
    fi

    # "应用品牌文件(&B)..." with a brand file beside the install: the question that lists
    # its changes, saved as apply_brand.png beside <out>, then answered No.
    brand="$(dirname "$start_dir")/brand.ini"
    printf '[brand]\r\ncaption = A 公司 CAD\r\n[profile]\r\ncompany = A 公司\r\n[replace]\r\nCircle = 圆\r\n' >"$brand"
    sleep 1
    xdotool key alt+space
    sleep 1
    xdotool key b
    sleep 2
    xdotool type --delay 20 "Z:$(echo "$brand" | tr / '\\')"
    xdotool key Return
    question=$(window_named "VedArod" 30)
    if [ -n "$question" ]; then
        sleep 1
        brand_shot="$(dirname "$out")/apply_brand.png"
        import -window "$question" "$brand_shot" 2>/dev/null && echo "$brand_shot"
        xdotool key n
    else
        echo "the brand question did not appear" >&2
    fi
fi
