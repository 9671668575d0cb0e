#!/usr/bin/env bash
# Builds the fuzz harnesses with clang and runs each for SECONDS (default 60), starting from
# the seeds in fuzz/seeds/<harness>/ and keeping what it finds in build/fuzz/corpus/<harness>/.
#   tools/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(ppm_header rc_file paper_info line_encoder)

bash tools/setup.sh
if ! command -v clang++ >/dev/null 2>&1 || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1; then
  echo "fuzz: installing clang and its fuzzer runtime"
  ${SUDO:-} apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBUILD_TESTING=OFF -DVELMORA_FUZZERS=ON >/dev/null
cmake --build build/fuzz --target "${harnesses[@]/%/_fuzz}"
for harness in "${harnesses[@]}"; do
  corpus=build/fuzz/corpus/$harness
  mkdir -p "$corpus"
  echo "== $harness: $seconds s"
  # The readers report every fault on standard error: close the harness's (-close_fd_mask=2).
  build/fuzz/fuzz/${harness}_fuzz -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=2 \
    -artifact_prefix=build/fuzz/"$harness"- "$corpus" "fuzz/seeds/$harness"
done
