// Benchmark baselines.
#include "bench/baselines.h"

#include <cstring>
#include <vector>

namespace velmora::bench {
namespace {

bool Same(const std::uint8_t* a, const std::uint8_t* b, int bpp) {
  return std::memcmp(a, b, static_cast<std::size_t>(bpp)) == 0;
}

std::size_t NaiveEncodeLine(const std::uint8_t* line, int pixels, int bpp, std::uint8_t* out) {
  std::size_t n = 0;
  out[n++] = 0;
  int i = 0;
  while (i < pixels) {
    const std::uint8_t* p = line + i * bpp;
    if (i == pixels - 1) {
      out[n++] = 0;
      std::memcpy(out + n, p, static_cast<std::size_t>(bpp));
      n += static_cast<std::size_t>(bpp);
      break;
    }
    if (Same(p, p + bpp, bpp)) {
      int count = 2;
      int end = i + 1;
      while (end != pixels - 1 && count < 128 &&
             Same(line + end * bpp, line + (end + 1) * bpp, bpp)) {
        ++end;
        ++count;
      }
      out[n++] = static_cast<std::uint8_t>(count - 1);
      std::memcpy(out + n, p, static_cast<std::size_t>(bpp));
      n += static_cast<std::size_t>(bpp);
      i = end + 1;
      continue;
    }
    int count = 1;
    int x = i + 1;
    while (x != pixels - 1 && count < 128 && !Same(line + x * bpp, line + (x + 1) * bpp, bpp)) {
      ++count;
      ++x;
    }
    if (x == pixels - 1 && count < 128) ++count;
    out[n++] = static_cast<std::uint8_t>((257 - count) & 0xFF);
    std::memcpy(out + n, p, static_cast<std::size_t>(count * bpp));
    n += static_cast<std::size_t>(count * bpp);
    i += count;
  }
  return n;
}

}  // namespace

void NaiveGrayLine(std::uint8_t* gray, const std::uint8_t* rgb, int pixels) {
  const long double c11 = static_cast<long double>(0.11);
  const long double c59 = static_cast<long double>(0.59);
  const long double c30 = static_cast<long double>(0.30);
  for (int i = 0; i < pixels; ++i) {
    const long double sum = (rgb[3 * i + 2] * c11 + rgb[3 * i + 1] * c59) + rgb[3 * i] * c30;
    gray[i] = static_cast<std::uint8_t>(static_cast<unsigned>(sum));
  }
}

void NaiveEncodePage(const std::uint8_t* rgb, int width, int height, bool mono, std::FILE* out) {
  const int bpp = mono ? 1 : 3;
  const std::size_t capacity = static_cast<std::size_t>(2 * width * bpp + 65536);
  std::vector<std::uint8_t> record(capacity);
  std::vector<std::uint8_t> pending(capacity);
  std::vector<std::uint8_t> gray(static_cast<std::size_t>(width));
  std::size_t pendingLength = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* line =
        rgb + static_cast<std::size_t>(y) * 3 * static_cast<std::size_t>(width);
    if (mono) {
      NaiveGrayLine(gray.data(), line, width);
      line = gray.data();
    }
    const std::size_t length = NaiveEncodeLine(line, width, bpp, record.data());
    if (pendingLength == 0) {
      std::memcpy(pending.data(), record.data(), length);
      pendingLength = length;
    } else if (length == pendingLength &&
               std::memcmp(record.data() + 1, pending.data() + 1, length - 1) == 0) {
      if (pending[0] < 254) {
        ++pending[0];
      } else {
        pending[0] = 255;
        std::fwrite(pending.data(), pendingLength, 1, out);
        pendingLength = 0;
      }
    } else {
      std::fwrite(pending.data(), pendingLength, 1, out);
      std::memcpy(pending.data(), record.data(), length);
      pendingLength = length;
    }
  }
  if (pendingLength != 0) std::fwrite(pending.data(), pendingLength, 1, out);
}

bool NaiveIsAllWhite(const std::uint8_t* raster, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (raster[i] != 0xFF) return false;
  }
  return true;
}

std::uint64_t ReadAll(const std::uint8_t* raster, std::size_t size) {
  std::uint64_t all = 0;
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, raster + i, 8);
    all ^= word;
  }
  return all;
}

}  // namespace velmora::bench
