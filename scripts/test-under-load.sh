#!/bin/sh
# Runs the window-system suites again and again with processor cores kept
# busy beside them, as on a shared or slow machine: a wait that a slow
# machine outlasts, or a fault that only shows when the window system is
# late, fails here and not on a quiet desk.
#
#   scripts/test-under-load.sh [-n RUNS] [-b BUSY] [-p PRESET] [LABEL...]
#
# RUNS (20) runs of each LABEL's tests (sdl desktop web wayland: those the
# build has), BUSY (1) busy loops beside them, PRESET (linux) the ctest
# preset. Build the preset first. Prints each label's runs and failures;
# the status is 1 when any run failed.
set -eu
cd "$(dirname "$0")/.."

runs=20
busy=1
preset=linux
while getopts n:b:p: option; do
    case $option in
        n) runs=$OPTARG ;;
        b) busy=$OPTARG ;;
        p) preset=$OPTARG ;;
        *) sed -n '8,9p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
labels=${*:-sdl desktop web wayland}

# The busy loops are this script's own children, stopped by their ids.
loops=""
stop_loops() {
    for pid in $loops; do
        kill "$pid" 2>/dev/null || true
    done
}
trap stop_loops EXIT
trap 'exit 130' INT TERM
i=0
while [ "$i" -lt "$busy" ]; do
    sh -c 'while :; do :; done' &
    loops="$loops $!"
    i=$((i + 1))
done

logs=build/under-load
mkdir -p "$logs"
failed_any=0
summary=""
for label in $labels; do
    if ! ctest --preset "$preset" -N -L "^$label\$" | grep -q 'Test *#'; then
        summary="$summary$label: no tests in this build, skipped\n"
        continue
    fi
    failed=0
    run=1
    while [ "$run" -le "$runs" ]; do
        log="$logs/$label-$run.log"
        if ctest --preset "$preset" -L "^$label\$" >"$log" 2>&1; then
            echo "$label run $run: passed"
        else
            failed=$((failed + 1))
            failed_any=1
            echo "$label run $run: FAILED ($log)"
            grep -E '^\s+[0-9]+ - ' "$log" || true
        fi
        run=$((run + 1))
    done
    summary="$summary$label: $runs runs, $failed failed, $busy busy loops beside\n"
done
printf "%b" "$summary"
exit "$failed_any"
