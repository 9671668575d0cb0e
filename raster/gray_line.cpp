// RGB to gray conversion; see GrayOf for the exact integer form of the extended-precision
// formula. The loop is written for auto-vectorisation: 16-bit lanes hold every intermediate
// and the correction is arithmetic, not a branch.
#include "raster/gray_line.h"

#include <cstddef>

namespace velmora {

// x86-64's baseline SSE2 cannot de-interleave RGB bytes efficiently; with SSSE3 or AVX2 the
// compiler vectorises the loop, so those variants are built too and picked at load time.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(VELMORA_NO_TARGET_CLONES)
#define VELMORA_SIMD_CLONES __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define VELMORA_SIMD_CLONES
#endif

VELMORA_SIMD_CLONES
void ConvertLineToGray(std::uint8_t* __restrict gray, const std::uint8_t* __restrict rgb,
                       std::int16_t pixelCount) {
  if (pixelCount <= 0) return;
  const std::size_t count = static_cast<std::size_t>(pixelCount);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t red = rgb[3 * i];
    const std::uint16_t green = rgb[3 * i + 1];
    const std::uint16_t blue = rgb[3 * i + 2];
    // floor(V / 100 + D / (100 2^56)) = floor((V - [D < 0]) / 100): lowering V by one moves
    // the floor only when 100 divides V, exactly the case in which D decides.
    const std::uint16_t below = blue < static_cast<std::uint16_t>(56 * green + 20 * red) ? 1 : 0;
    const std::uint16_t v = static_cast<std::uint16_t>(11 * blue + 59 * green + 30 * red - below);
    // v / 100 for v <= 25500 as a multiply-high and a shift: ((v * 5243) >> 16) >> 3.
    gray[i] = static_cast<std::uint8_t>(
        static_cast<std::uint16_t>((static_cast<std::uint32_t>(v) * 5243u) >> 16) >> 3);
  }
}

}  // namespace velmora
