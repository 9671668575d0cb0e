// Line encoder: one raster line to one PWG line record.
//
// A record is a line repeat byte r (the record stands for r + 1 identical lines) followed by
// runs of whole pixels: a control byte c of 0 to 127 and one pixel that stands for c + 1
// equal pixels, or c of 129 to 255 and 257 - c pixels written literally. 128 is never used.
// The longest record of n RGB pixels is 1 + 3n + ceil(n / 128) bytes (literal runs only); for
// n gray pixels it is 1 + n + ceil(n / 3) ("x y y x y y ...": each single pixel before a pair
// costs a control byte of its own). Both fit the output buffer of EncodeLineBufferSize.
#pragma once

#include <cstdint>

namespace velmora {

/// The encoder's state; zero-initialise it, release it with ReleaseLineEncoder.
struct LineEncoder {
  std::uint32_t lineLength;     // bytes of one line handed to EncodeLine
  std::uint32_t lineCount;      // lines the record stands for; written as lineCount - 1
  std::uint32_t bytesPerPixel;  // 3 (RGB) or 1 (gray); pixels are equal when all bytes are
  std::uint8_t* buffer;         // the record; allocated by the first EncodeLine, never shrinks
  std::uint32_t bufferSize;     // capacity of buffer
};

/// EncodeLineBufferSize: the output buffer EncodeLine needs for a line of `lineLength`
/// bytes: twice the line, and at least 65536 bytes (always more than the longest record).
std::uint32_t EncodeLineBufferSize(std::uint32_t lineLength);

/// EncodeLine: encodes the `lineLength` bytes at `line` into encoder->buffer.
///   returns: the record's length in bytes (the repeat byte included), or -1 when the
///            output buffer cannot be allocated (the state is then unchanged).
std::int32_t EncodeLine(LineEncoder* encoder, const std::uint8_t* line);

/// ReleaseLineEncoder: frees the encoder's buffer and marks it absent.
void ReleaseLineEncoder(LineEncoder* encoder);

}  // namespace velmora
