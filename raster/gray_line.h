// RGB to gray for mono jobs.
//
// The gray byte of a pixel is trunc(B x 0.11 + G x 0.59 + R x 0.30) evaluated, in this order,
// in the 80-bit extended format with the double values nearest to 0.11, 0.59 and 0.30 as
// coefficients. Those doubles sum to slightly less than 1, so a neutral pixel (v, v, v) with
// v >= 1 becomes v - 1 (white gives 254). The result is computed exactly in integers, so it is
// the same on every machine and under any floating-point settings.
#pragma once

#include <cstdint>
#include <span>

namespace velmora {

/// ConvertLineToGray: writes `pixelCount` gray bytes to `gray` from the RGB line `rgb`.
/// Nothing is done when pixelCount <= 0.
void ConvertLineToGray(std::uint8_t* gray, const std::uint8_t* rgb, std::int16_t pixelCount);

/// One implementation of ConvertLineToGray, for the instruction set it is compiled for.
struct GrayLineVariant {
  using Function = void (*)(std::uint8_t* gray, const std::uint8_t* rgb, std::int16_t pixelCount);
  const char* name;
  Function convert;
};

/// GrayLineVariants: the implementations this processor can run, the one ConvertLineToGray
/// uses first. All give the same bytes.
std::span<const GrayLineVariant> GrayLineVariants();

/// GrayOf: the gray byte of one pixel.
constexpr std::uint8_t GrayOf(unsigned red, unsigned green, unsigned blue) {
  // Each coefficient is a binary fraction: 0.11 -> C11 / 2^56, 0.59 -> C59 / 2^56 and
  // 0.30 -> C30 / 2^56. The products and both sums fit 64 significant bits (8 integer and 56
  // fraction bits), so the extended evaluation is exact and truncation is the floor of
  //   (B C11 + G C59 + R C30) / 2^56.
  // Writing Cx = (x 2^56 + ex) / 100 with the small integers e11 = 4, e59 = -224, e30 = -80,
  // that value is V / 100 + D / (100 2^56) with V = 11 B + 59 G + 30 R and
  // D = 4 B - 224 G - 80 R, |D| < 2^16. Unless 100 divides V, the fraction of V / 100 is at
  // least 0.01 and D cannot move the floor; when it does, the floor drops by one exactly when
  // D < 0, that is when B < 56 G + 20 R. Both cases are floor((V - [D < 0]) / 100).
  const unsigned below = blue < 56 * green + 20 * red ? 1u : 0u;
  return static_cast<std::uint8_t>((11 * blue + 59 * green + 30 * red - below) / 100);
}

}  // namespace velmora
