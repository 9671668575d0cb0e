// Page images for the tests: PPM pages and RGB rasters.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace velmora::test {

/// A raw PPM page: "P6\n<w> <h>\n255\n" followed by `rgb`.
std::string PpmPage(int width, int height, std::string_view rgb);

/// A raster of `width` x `height` pixels of one colour.
std::string SolidRgb(int width, int height, std::uint8_t red, std::uint8_t green,
                     std::uint8_t blue);

/// A raster of random pixels; `colours` limits the distinct values per byte (small values
/// give runs).
std::string RandomRgb(int width, int height, std::mt19937& random, int colours = 256);

/// The gray byte of a pixel by the extended-precision formula, evaluated in long double
/// (the 80-bit format on x86-64) with the double coefficients widened.
std::uint8_t ReferenceGray(unsigned red, unsigned green, unsigned blue);

/// A whole RGB raster turned into gray with ReferenceGray.
std::string ReferenceGrayRaster(std::string_view rgb);

}  // namespace velmora::test
