// Fuzzes the line encoder with a round trip: the record of any line decodes back to the line,
// uses no control byte 128 and stays within the longest record's size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/line_encoder.h"

namespace {

bool Decode(const std::uint8_t* record, std::size_t length, std::size_t pixels, std::size_t bpp,
            std::vector<std::uint8_t>* line) {
  std::size_t pos = 1;
  std::size_t x = 0;
  while (x < pixels) {
    if (pos >= length) return false;
    const unsigned control = record[pos++];
    if (control == 128) return false;
    const std::size_t count = control < 128 ? control + 1u : 257u - control;
    const std::size_t literal = control < 128 ? 1 : count;
    if (x + count > pixels || pos + literal * bpp > length) return false;
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(line->data() + (x + i) * bpp, record + pos + (control < 128 ? 0 : i * bpp), bpp);
    }
    pos += literal * bpp;
    x += count;
  }
  return pos == length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t bpp = (data[0] & 1) != 0 ? 3 : 1;
  const std::uint32_t repeat = data[1];
  const std::size_t pixels = (size - 2) / bpp;
  if (pixels == 0) return 0;
  velmora::LineEncoder encoder = {};
  encoder.lineLength = static_cast<std::uint32_t>(pixels * bpp);
  encoder.bytesPerPixel = bpp;
  encoder.lineCount = repeat + 1;
  const std::int32_t length = velmora::EncodeLine(&encoder, data + 2);
  if (length < 0) std::abort();
  // RGB: literal runs only; gray: a single pixel before each pair, one control byte each.
  const std::size_t longest =
      bpp == 3 ? 1 + 3 * pixels + (pixels + 127) / 128 : 1 + (4 * pixels + 2) / 3;
  if (static_cast<std::size_t>(length) > longest || encoder.buffer[0] != repeat) std::abort();
  std::vector<std::uint8_t> line(pixels * bpp);
  if (!Decode(encoder.buffer, static_cast<std::size_t>(length), pixels, bpp, &line)) std::abort();
  if (std::memcmp(line.data(), data + 2, line.size()) != 0) std::abort();
  velmora::ReleaseLineEncoder(&encoder);
  return 0;
}
