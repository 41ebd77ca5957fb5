#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's settings (used by ctest).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
wine_env || exit 1
exec env LANG="$VEDAROD_WINE_LANG" LC_ALL="$VEDAROD_WINE_LANG" wine "$@"
