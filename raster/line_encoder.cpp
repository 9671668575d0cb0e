// Line encoder. The walk over the line is the one that defines the record:
//   - the last pixel alone is written as control 0 and the pixel;
//   - a pixel equal to its successor starts a repeat run of up to 128 equal pixels;
//   - otherwise a literal run takes pixels up to the first one that equals its successor,
//     at most 128, and the line's last pixel when it is reached with room to spare.
// Repeat runs are measured with word-wide comparisons of the line against itself shifted by
// one pixel; the RGB and gray cases are compiled separately so pixel comparisons inline.
#include "raster/line_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace velmora {
namespace {

constexpr std::uint32_t kMaxRun = 128;

// Number of leading bytes in which a and b agree, at most `length`.
inline std::size_t CommonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t length) {
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) {
      // Little- and big-endian machines find the first differing byte from opposite ends.
      const std::uint64_t diff = x ^ y;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      return i + static_cast<std::size_t>(__builtin_clzll(diff) / 8);
#else
      return i + static_cast<std::size_t>(__builtin_ctzll(diff) / 8);
#endif
    }
  }
  while (i < length && a[i] == b[i])
    ++i;
  return i;
}

// Pixel equality for a compile-time pixel size (B > 0) or a run-time one (B == 0).
template <std::uint32_t B>
inline bool SamePixel(const std::uint8_t* p, const std::uint8_t* q, std::uint32_t bpp) {
  if constexpr (B == 1) {
    return p[0] == q[0];
  } else if constexpr (B == 3) {
    return ((p[0] ^ q[0]) | (p[1] ^ q[1]) | (p[2] ^ q[2])) == 0;
  } else {
    return std::memcmp(p, q, bpp) == 0;
  }
}

template <std::uint32_t B>
std::size_t EncodeRuns(const std::uint8_t* line, std::uint32_t pixels, std::uint32_t runtimeBpp,
                       std::uint8_t* out) {
  const std::uint32_t bpp = B > 0 ? B : runtimeBpp;
  std::uint8_t* const start = out;
  std::uint32_t i = 0;
  while (i < pixels) {
    const std::uint8_t* pixel = line + static_cast<std::size_t>(i) * bpp;
    if (i == pixels - 1) {
      *out++ = 0;
      std::memcpy(out, pixel, bpp);
      out += bpp;
      break;
    }
    if (SamePixel<B>(pixel, pixel + bpp, bpp)) {
      // Pixels i .. i + count - 1 are equal when the line agrees with itself shifted by one
      // pixel over (count - 1) pixels.
      const std::uint32_t limit = std::min(kMaxRun, pixels - i);
      const std::size_t agree =
          CommonPrefix(pixel, pixel + bpp, static_cast<std::size_t>(limit - 1) * bpp);
      const std::uint32_t count = 1 + static_cast<std::uint32_t>(agree / bpp);
      *out++ = static_cast<std::uint8_t>(count - 1);
      std::memcpy(out, pixel, bpp);
      out += bpp;
      i += count;
      continue;
    }
    std::uint32_t count = 1;
    std::uint32_t x = i + 1;
    const std::uint8_t* px = pixel + bpp;
    while (x != pixels - 1 && count < kMaxRun && !SamePixel<B>(px, px + bpp, bpp)) {
      ++count;
      ++x;
      px += bpp;
    }
    if (x == pixels - 1 && count < kMaxRun) ++count;
    *out++ = static_cast<std::uint8_t>((257 - count) & 0xFF);
    const std::size_t bytes = static_cast<std::size_t>(count) * bpp;
    std::memcpy(out, pixel, bytes);
    out += bytes;
    i += count;
  }
  return static_cast<std::size_t>(out - start);
}

}  // namespace

std::uint32_t EncodeLineBufferSize(std::uint32_t lineLength) {
  const std::uint64_t twice = 2ull * lineLength;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(std::max<std::uint64_t>(twice, 65536), UINT32_MAX));
}

std::int32_t EncodeLine(LineEncoder* encoder, const std::uint8_t* line) {
  const std::uint32_t need = EncodeLineBufferSize(encoder->lineLength);
  if (need > encoder->bufferSize) {
    void* grown = std::realloc(encoder->buffer, need);
    if (grown == nullptr) return -1;
    encoder->buffer = static_cast<std::uint8_t*>(grown);
    encoder->bufferSize = need;
  }
  std::uint8_t* out = encoder->buffer;
  *out++ = static_cast<std::uint8_t>(encoder->lineCount - 1);
  const std::uint32_t bpp = encoder->bytesPerPixel == 0 ? 1 : encoder->bytesPerPixel;
  const std::uint32_t pixels = encoder->lineLength / bpp;
  std::size_t length;
  switch (bpp) {
    case 3:
      length = EncodeRuns<3>(line, pixels, bpp, out);
      break;
    case 1:
      length = EncodeRuns<1>(line, pixels, bpp, out);
      break;
    default:
      length = EncodeRuns<0>(line, pixels, bpp, out);
      break;
  }
  return static_cast<std::int32_t>(1 + length);
}

void ReleaseLineEncoder(LineEncoder* encoder) {
  std::free(encoder->buffer);
  encoder->buffer = nullptr;
  encoder->bufferSize = 0;
}

}  // namespace velmora
