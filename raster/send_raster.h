// SendRaster: the page buffer's lines, converted to gray for mono jobs, encoded and written
// after the page header in the page's spool file.
//
// Consecutive identical lines share one record whose repeat byte counts them; a record never
// stands for more than 256 lines (at 254 the next identical line makes it 255 and writes it).
// Every write is one whole record.
#pragma once

#include <cstdint>
#include <cstdio>

namespace velmora {

struct JobSettings;
struct PageState;

/// EncodePage: writes the records of the `pixelHeight` lines of `raster` (RGB lines of
/// bytesPerLine bytes) to `out`.
///   returns: 0; 1 when a record cannot be written or an encoder buffer cannot be
///            allocated (the records before it are written, the rest are not).
int EncodePage(const JobSettings& settings, const std::uint8_t* raster, std::FILE* out);

/// SendRaster: back-end operation 5. Skips a page that the blank test marked and confirms;
/// otherwise encodes the page buffer into currentSpoolFile. Closes the spool file on every
/// path.
///   returns: 0; 1 when the page could not be spooled completely (the job then ends).
std::int16_t SendRaster(const JobSettings* settings, PageState* state);

}  // namespace velmora
