# Shared by the run and test commands: Debian packages, builds, the Wine environment.
# Source it; it sets ROOT to the repository's top folder.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_NATIVE="$ROOT/build/native"
BUILD_WIN="$ROOT/build/win64"
JOBS=$(nproc 2>/dev/null || echo 2)

# Packages the builds and the Wine test rig need on Debian 12.
VEDAROD_PACKAGES="cmake make g++ googletest g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine64 xvfb xauth x11-utils fonts-wqy-microhei
  imagemagick locales xdotool libssl-dev ccache"

ensure_packages() {
    local missing=() p
    for p in $VEDAROD_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing Debian packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# Compilers run through ccache when it is there. Paths inside the checkout are made relative
# and the build folder is left out of the hash, so that a fresh clone elsewhere (CI's) reuses
# what an earlier build compiled.
launcher_args() {
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
        echo "-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    fi
}

build_native() {
    cmake -S "$ROOT" -B "$BUILD_NATIVE" -DCMAKE_BUILD_TYPE=RelWithDebInfo $(launcher_args) >/dev/null
    launcher_args >/dev/null
    cmake --build "$BUILD_NATIVE" -j "$JOBS" ${1:+--target "$@"}
}

build_win() {
    cmake -S "$ROOT" -B "$BUILD_WIN" -DCMAKE_BUILD_TYPE=Release $(launcher_args) \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    launcher_args >/dev/null
    cmake --build "$BUILD_WIN" -j "$JOBS" ${1:+--target "$@"}
}

# The Wine environment: a private prefix, no debug output, and the zh_CN.UTF-8 locale so
# that the ANSI code page is 936 as on Chinese Windows. The locale is compiled into a
# private folder (LOCPATH) when the system does not have it.
wine_env() {
    export WINEPREFIX="$ROOT/build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if ! locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; then
        local loc="$ROOT/build/locale"
        if [ ! -f "$loc/zh_CN.UTF-8/LC_CTYPE" ]; then
            mkdir -p "$loc"
            localedef -i zh_CN -f UTF-8 "$loc/zh_CN.UTF-8" 2>/dev/null ||
                [ -f "$loc/zh_CN.UTF-8/LC_CTYPE" ] || {
                echo "cannot generate the zh_CN.UTF-8 locale" >&2
                return 1
            }
        fi
        export LOCPATH="$loc"
    fi
    export VEDAROD_WINE_LANG=zh_CN.UTF-8
    if [ ! -f "$WINEPREFIX/.vedarod-ready-2" ]; then
        echo "Preparing the Wine prefix (once)..."
        mkdir -p "$WINEPREFIX"
        LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wineboot -i >/dev/null 2>&1
        # Without a window manager Wine waits about 2 s whenever a window closes, unless
        # it manages its windows itself.
        LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' \
            /v Managed /d N /f >/dev/null 2>&1
        # A program that crashes prints its backtrace and ends, rather than waiting behind
        # Wine's crash dialog until a test's time limit ends it.
        LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 wine reg add 'HKCU\Software\Wine\WineDbg' \
            /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.vedarod-ready-2"
    fi
}

# Commands run when the shell exits, last registered first.
VEDAROD_CLEANUP=""
on_exit() {
    VEDAROD_CLEANUP="$1; $VEDAROD_CLEANUP"
    trap 'eval "$VEDAROD_CLEANUP"' EXIT
}

# Starts a private Xvfb and exports DISPLAY; it is stopped when the shell exits.
start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        sleep 0.5
        if kill -0 "$XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            on_exit "kill $XVFB_PID 2>/dev/null; wineserver -k 2>/dev/null"
            return 0
        fi
    done
    echo "cannot start Xvfb" >&2
    return 1
}

# Mounts a small tmpfs for the full-disk tests and exports VEDAROD_FULL_DISK_DIR; without
# the right to mount (not root), the variable stays unset and those tests are skipped.
mount_full_disk() {
    local dir="$ROOT/build/fulldisk"
    mkdir -p "$dir"
    mountpoint -q "$dir" && umount "$dir" 2>/dev/null
    if mount -t tmpfs -o size=16m tmpfs "$dir" 2>/dev/null; then
        export VEDAROD_FULL_DISK_DIR="$dir"
        on_exit "umount '$dir' 2>/dev/null"
    else
        echo "(no tmpfs could be mounted: the full-disk tests are skipped)"
    fi
}
