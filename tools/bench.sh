#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks: the function benchmarks of bench/raster_bench
# (Google Benchmark) and the whole-job benchmark bench/job_bench.sh. Figures are printed with
# their baselines from the same run; the machine may be shared, so compare ratios, not times.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVELMORA_BENCHMARKS=ON -DVELMORA_PRINTERS_DIR="$PWD/examples/printer" >/dev/null
cmake --build build/bench --target raster_bench ppmtovelmora
echo "== function benchmarks"
build/bench/bench/raster_bench --benchmark_min_time=0.5 "$@"
echo "== whole-job benchmark"
bash bench/job_bench.sh build/bench 5
