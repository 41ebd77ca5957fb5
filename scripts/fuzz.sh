#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) in build/fuzz and runs each one
# for the given time on its corpus fuzz/corpus/<target>; inputs that add coverage are merged
# back into that folder (commit them). Crashing inputs land in build/fuzz/artifacts/<target>/.
#
#   scripts/fuzz.sh <target|all> [seconds per target, default 60]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
set -e

ALL_TARGETS="ini_parse split_string icon_file string_block pe_image lang_file resource_tree icon_group version_resource dialog_template menu_template"
BUILD_FUZZ="$ROOT/build/fuzz"
what=${1:-}
seconds=${2:-60}
case "$what" in
    all) targets=$ALL_TARGETS ;;
    "" | -h | --help)
        echo "usage: $0 <all|$(echo $ALL_TARGETS | tr ' ' '|')> [seconds]" >&2
        exit 2
        ;;
    *)
        [[ " $ALL_TARGETS " == *" $what "* ]] || { echo "unknown target: $what" >&2; exit 2; }
        targets=$what
        ;;
esac

VEDAROD_PACKAGES="cmake make" ensure_packages clang libclang-rt-14-dev
cmake -S "$ROOT" -B "$BUILD_FUZZ" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVEDAROD_FUZZ=ON -DVEDAROD_SANITIZE=OFF >/dev/null
build_targets=()
for t in $targets; do build_targets+=("fuzz_$t"); done
cmake --build "$BUILD_FUZZ" -j "$JOBS" --target "${build_targets[@]}"
set +e

status=0
summary=()
for t in $targets; do
    corpus="$ROOT/fuzz/corpus/$t"
    work="$BUILD_FUZZ/work/$t"
    artifacts="$BUILD_FUZZ/artifacts/$t"
    log="$BUILD_FUZZ/logs/$t.log"
    mkdir -p "$corpus" "$work" "$artifacts" "$(dirname "$log")"
    before=$(ls "$corpus" | wc -l)
    echo "== $t: ${seconds}s (log: $log)"
    # New inputs go to the scratch folder first; the corpus itself only receives what the
    # merge below finds to add coverage.
    nice -n 19 "$BUILD_FUZZ/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$corpus" >"$log" 2>&1
    rc=$?
    execs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | awk '{print $2}')
    if [ $rc -ne 0 ]; then
        status=1
        echo "   FAILED (exit $rc); artifacts:"
        ls "$artifacts" | sed 's/^/     /'
        grep -m 3 -E 'ERROR: |check failed|runtime error' "$log" | sed 's/^/     /'
    fi
    # Only inputs that reach new code (not merely run it more often) are added, which keeps
    # the committed corpus small; build/fuzz/work/ keeps the full one for later runs.
    nice -n 19 "$BUILD_FUZZ/fuzz/fuzz_$t" -merge=1 -use_counters=0 -timeout=10 "$corpus" \
        "$work" >>"$log" 2>&1 || status=1
    after=$(ls "$corpus" | wc -l)
    bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    line="$t: ${seconds}s, ${execs:-?} executions, corpus $after files ($bytes bytes), $((after - before)) new"
    echo "   $line"
    summary+=("$line")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
