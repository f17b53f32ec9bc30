#!/bin/sh
# Builds the fuzz preset and runs each libFuzzer target for a given time,
# starting from the committed seed corpus; new inputs that reach new code go
# to build/fuzz/corpus/TARGET, crashes to build/fuzz/findings/.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# Runs at the lowest priority: the machine is usually shared.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-"bmp_parse image_loader script fault_list ddraw"}

cmake --preset fuzz
nice -n 19 cmake --build --preset fuzz -j 2

mkdir -p build/fuzz/findings
for target in $targets; do
    work=build/fuzz/corpus/$target
    mkdir -p "$work"
    seeds=fuzz/corpus/$target
    # The loaders read files as the parser does: its seeds are theirs too.
    [ "$target" = image_loader ] && seeds="$seeds fuzz/corpus/bmp_parse"
    echo "== $target: $seconds s"
    # shellcheck disable=SC2086 # the seed folders are separate arguments
    nice -n 19 "build/fuzz/fuzz/fuzz_$target" "$work" $seeds \
        -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/findings/$target-" -print_final_stats=1 \
        2>&1 | tee "build/fuzz/$target.log" | grep -E '^(#[0-9]+ +(INITED|DONE)|==|SUMMARY|stat::number_of_executed_units|stat::peak_rss)' || true
done
ls build/fuzz/findings
