// Straightforward implementations that the benchmarks measure the filter's code against:
// the same results, written the obvious way, one pixel or byte at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace velmora::bench {

/// Encodes every line pixel by pixel and merges lines by comparing their encoded records.
/// Writes the same records as EncodePage.
void NaiveEncodePage(const std::uint8_t* rgb, int width, int height, bool mono, std::FILE* out);

/// The gray formula evaluated per pixel in long double (x87 extended precision on x86-64).
void NaiveGrayLine(std::uint8_t* gray, const std::uint8_t* rgb, int pixels);

/// The blank test one byte at a time.
bool NaiveIsAllWhite(const std::uint8_t* raster, std::size_t size);

/// Reads every byte once (an XOR of 64-bit words): the memory-speed floor of a scan.
std::uint64_t ReadAll(const std::uint8_t* raster, std::size_t size);

}  // namespace velmora::bench
