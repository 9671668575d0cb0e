#!/usr/bin/env bash
# Whole-job benchmark: the filter on the sample document at 600 dpi (4 A4 pages of
# 4958 x 7017 pixels, 417 MB of PPM), colour, mono and with 2 uncollated copies, each beside
# two baselines run on the same input in the same session: reading it (cat) and compressing
# it once with the fastest gzip level (gzip -1). Prints the median of several runs of each
# and its ratio to the baselines.
#
#   bench/job_bench.sh FILTER_BUILD_DIR [RUNS]
#
# FILTER_BUILD_DIR must hold a ppmtovelmora built with VELMORA_PRINTERS_DIR pointing at
# examples/printer (tools/bench.sh builds one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: job_bench.sh FILTER_BUILD_DIR [RUNS]}
runs=${2:-5}
filter=$build/ppmtovelmora
input=$build/sample-600dpi.ppm
printer=$root/examples/printer

if [ ! -s "$input" ]; then
  gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r600 -sOutputFile="$input" \
    "$root/examples/documents/sample.ps"
fi

mono_rc=$build/mono.rc
copies_rc=$build/copies.rc
sed 's/^KXMonoColor=.*/KXMonoColor=Mono/' "$printer/sample.rc" >"$mono_rc"
sed 's/^Copies=.*/Copies=2/' "$printer/sample.rc" >"$copies_rc"

# median_ms COMMAND...: runs the command $runs times, prints the median wall time in ms.
median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

run_filter() { TMPDIR=$build "$filter" -rc "$1" -pi "$printer/paperinfo" <"$input"; }

cat_ms=$(median_ms cat "$input")
gzip_ms=$(median_ms sh -c "gzip -1 <'$input'")
colour_ms=$(median_ms run_filter "$printer/sample.rc")
mono_ms=$(median_ms run_filter "$mono_rc")
copies_ms=$(median_ms run_filter "$copies_rc")

mb=$(($(stat -c %s "$input") / 1000000))
printf 'input: %s (%d MB, 4 pages), %d runs each, median wall time\n' "$input" "$mb" "$runs"
printf '%-34s %8s %12s %12s\n' "" "ms" "x cat" "x gzip -1"
row() {
  printf '%-34s %8d %12s %12s\n' "$1" "$2" \
    "$(awk -v a="$2" -v b="$cat_ms" 'BEGIN{printf "%.2f", b ? a/b : 0}')" \
    "$(awk -v a="$2" -v b="$gzip_ms" 'BEGIN{printf "%.2f", b ? a/b : 0}')"
}
row "cat (read the input)" "$cat_ms"
row "gzip -1 (compress the input once)" "$gzip_ms"
row "ppmtovelmora, colour" "$colour_ms"
row "ppmtovelmora, mono" "$mono_ms"
row "ppmtovelmora, 2 uncollated copies" "$copies_ms"
