#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's settings (used by ctest).
# Its output goes through a file: a helper process Wine leaves running for a while (a
# console host of a program a test killed) would otherwise keep the caller's pipe open, and
# ctest would wait for it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wine_env || exit 1
out=$(mktemp)
env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
