// Blank page test: with KXSkipBlank "ON", a page whose raster bytes are all 0xFF is left out.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

struct JobSettings;
struct PageState;

/// TestBlankPage: tests the page buffer's pixelHeight x bytesPerLine bytes.
///   Clears kBlankPageFlag whenever the KXSkipBlank option exists, and sets it when the page
///   is to be skipped.
///   returns: 1 when skipping is on and the page is white; 0 otherwise (also for a raster of
///            fewer than 4 bytes, which is never blank).
std::int16_t TestBlankPage(const JobSettings* settings, PageState* state);

/// IsAllWhite: true when every one of the `size` bytes at `raster` is 0xFF.
bool IsAllWhite(const std::uint8_t* raster, std::size_t size);

}  // namespace velmora
