// Fuzzes the PPM page header reader on a stream of back-to-back pages: it must never read
// past a malformed header's offending character, and must end on any input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "raster/ppm_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* input = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (input == nullptr) return 0;
  // Pages of 5 raster bytes: a header, then the raster, then the next header.
  for (int page = 0; page < 64; ++page) {
    const long before = std::ftell(input);
    const int result = velmora::ReadPpmHeader(input);
    const long after = std::ftell(input);
    if (after < before || after > static_cast<long>(size)) std::abort();
    if (result == 1 && after != before) std::abort();  // end of input reads nothing more
    if (result != 0) break;
    char raster[5];
    if (std::fread(raster, 1, sizeof raster, input) < sizeof raster) break;
  }
  std::fclose(input);
  return 0;
}
