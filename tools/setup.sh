#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking the filter need, if
# they are missing. Needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config      # build
  zlib1g-dev                            # the filter's gzip stream
  libgtest-dev libgmock-dev             # tests
  libcups2-dev                          # tests and benchmarks: reference PWG raster reader/writer
  ghostscript                           # tests and sample job: renders PostScript pages to PPM
  libbenchmark-dev                      # benchmarks
  clang-format                          # format check
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
