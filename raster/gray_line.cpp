// RGB to gray conversion; see GrayOf for the exact integer form of the extended-precision
// formula. The loop is written for auto-vectorisation: 16-bit lanes hold every intermediate
// and the correction is arithmetic, not a branch.
#include "raster/gray_line.h"

#include <array>
#include <cstddef>

namespace velmora {
namespace {

// The loop of every variant; inlined into each, so that each is compiled for its own
// instruction set.
[[gnu::always_inline]] inline void ConvertLine(std::uint8_t* __restrict gray,
                                               const std::uint8_t* __restrict rgb,
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

void ConvertPortable(std::uint8_t* __restrict gray, const std::uint8_t* __restrict rgb,
                     std::int16_t pixelCount) {
  ConvertLine(gray, rgb, pixelCount);
}

// x86-64's baseline SSE2 cannot de-interleave RGB bytes efficiently; with SSSE3 or AVX2 the
// compiler vectorises the loop, so those variants are built too and picked at run time.
#if defined(__x86_64__) && defined(__GNUC__)
#define VELMORA_GRAY_X86_VARIANTS 1
[[gnu::target("ssse3")]] void ConvertSsse3(std::uint8_t* __restrict gray,
                                           const std::uint8_t* __restrict rgb,
                                           std::int16_t pixelCount) {
  ConvertLine(gray, rgb, pixelCount);
}

[[gnu::target("avx2")]] void ConvertAvx2(std::uint8_t* __restrict gray,
                                         const std::uint8_t* __restrict rgb,
                                         std::int16_t pixelCount) {
  ConvertLine(gray, rgb, pixelCount);
}
#endif

struct Variants {
  std::array<GrayLineVariant, 3> list;
  std::size_t count = 0;
};

// The variants this processor runs, the fastest first.
Variants FindVariants() {
  Variants variants;
#if defined(VELMORA_GRAY_X86_VARIANTS)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) variants.list[variants.count++] = {"avx2", ConvertAvx2};
  if (__builtin_cpu_supports("ssse3")) variants.list[variants.count++] = {"ssse3", ConvertSsse3};
#endif
  variants.list[variants.count++] = {"portable", ConvertPortable};
  return variants;
}

const Variants& AvailableVariants() {
  static const Variants variants = FindVariants();
  return variants;
}

}  // namespace

std::span<const GrayLineVariant> GrayLineVariants() {
  const Variants& variants = AvailableVariants();
  return {variants.list.data(), variants.count};
}

void ConvertLineToGray(std::uint8_t* gray, const std::uint8_t* rgb, std::int16_t pixelCount) {
  static const GrayLineVariant::Function convert = AvailableVariants().list[0].convert;
  convert(gray, rgb, pixelCount);
}

}  // namespace velmora
