#!/usr/bin/env bash
# Sets up, builds and runs the filter's main job: the sample document
# (examples/documents/sample.ps) rendered by Ghostscript at 600 dpi, as a spooler's earlier
# filter hands it over, turned by ppmtovelmora into a printer job for the sample printer of
# examples/printer/. Writes build/sample/sample-job.prn and shows what it holds.
#
# This build looks for printers in examples/printer (the VELMORA_PRINTERS_DIR setting), so it
# runs without root; an installed filter uses /opt/velmora/Printers.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash tools/setup.sh
cmake -S . -B build/sample -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DVELMORA_PRINTERS_DIR="$root/examples/printer" >/dev/null
cmake --build build/sample --target ppmtovelmora velmora-jobinfo

job=build/sample/sample-job.prn
echo "== rendering examples/documents/sample.ps at 600 dpi and running the filter"
start=$(date +%s%N)
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r600 -sOutputFile=- examples/documents/sample.ps |
  TITLE="ppmtovelmora sample" build/sample/ppmtovelmora \
    -rc examples/printer/sample.rc -pi examples/printer/paperinfo >"$job"
end=$(date +%s%N)
elapsed=$(((end - start) / 1000000))
printf '== done in %d.%03d s (Ghostscript and the filter together)\n' $((elapsed / 1000)) $((elapsed % 1000))
echo "== the printer job is $root/$job"
build/sample/velmora-jobinfo "$job"
