#!/usr/bin/env bash
# Regenerates platform/cp936_table.inc, the table of Windows' code page 936 that the native
# build converts with: builds scripts/gen_cp936_table.cpp with MinGW-w64 and runs it under
# Wine, which measures MultiByteToWideChar and WideCharToMultiByte for every byte, byte pair
# and UTF-16 unit. Commit the result; core_tests in the Windows build compares the table
# with the system's conversion again.
#
#   scripts/gen-cp936-table.sh
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
set -e

work="$ROOT/build/gen-cp936"
mkdir -p "$work"
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror -static \
    -o "$work/gen_cp936_table.exe" "$ROOT/scripts/gen_cp936_table.cpp"
rm -f "$work/cp936_table.inc"
(cd "$work" && "$ROOT/scripts/wine-exec.sh" gen_cp936_table.exe cp936_table.inc)
mv "$work/cp936_table.inc" "$ROOT/platform/cp936_table.inc"
echo "wrote $ROOT/platform/cp936_table.inc ($(wc -c <"$ROOT/platform/cp936_table.inc") bytes)"
