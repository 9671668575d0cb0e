#!/usr/bin/env bash
# Sets up, builds and runs every test: the format check, a build with warnings as errors
# (benchmarks and the inspection tool included) with its tests, then an AddressSanitizer +
# UndefinedBehaviorSanitizer build running the same tests. Build trees go to build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
jobs=$(nproc)

echo "== format check"
bash tools/format.sh --check

echo "== build (warnings as errors) and tests"
cmake -S . -B build/check -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON \
  -DVELMORA_BENCHMARKS=ON
cmake --build build/check -j "$jobs"
ctest --test-dir build/check --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON \
  -DVELMORA_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== all tests passed"
