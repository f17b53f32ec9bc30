#!/bin/sh
# CPU per present of the two present paths, side by side: the present
# benchmarks run on an Xvfb of their own (1920 x 1080), each five times,
# interleaved at random; prints for every output size and kind of change the
# median and range of each path and the surface/GPU ratio of the medians.
#
#   scripts/bench-present.sh [REPETITIONS]      (default 5)
set -eu
cd "$(dirname "$0")/.."
repetitions=${1:-5}
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora_bench -j 2 >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
xvfb-run -a -s '-screen 0 1920x1080x24' build/linux/bench/velmora_bench \
    --benchmark_filter=BM_Present --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json >/dev/null
/usr/bin/python3 - "$out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
cpu = {}
for run in runs:
    if run.get("run_type") != "aggregate":
        continue
    _, path, size, change = run["run_name"].split("/")[:4]
    cpu.setdefault((size, change), {}).setdefault(path, {})[run["aggregate_name"]] = run["cpu_time"]
print("%-10s %-8s %-28s %-28s %s" % ("output", "change", "surface: median (range) us",
                                      "gpu: median (range) us", "surface/gpu"))
for (size, change), paths in sorted(cpu.items()):
    s, g = paths["surface"], paths["gpu"]
    print("%-10s %-8s %9.1f (%8.1f - %8.1f)  %9.1f (%8.1f - %8.1f)  %.4f" % (
        size, change, s["median"], s["min"], s["max"], g["median"], g["min"], g["max"],
        s["median"] / g["median"]))
PY
