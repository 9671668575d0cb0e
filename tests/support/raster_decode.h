// Readers of what the filter writes, for the tests: the gzip part of a printer job, the PWG
// raster stream inside it (decoded by the project's reader of printer jobs, written from the
// format's rules alone, and by libcups's reader), and the PJL framing around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/printer_job.h"

namespace velmora::test {

/// A decoded page: its header bytes, the main header fields and its pixels.
using RasterPage = jobreader::Page;

/// Reads the 32-bit big-endian integer at `offset`.
using jobreader::BigEndian32;

/// DecodeLineRecords: decodes line records for `lines` lines of `width` pixels of `bpp`
/// bytes, strictly: a control byte 128, a run past the line's end, a record for more lines
/// than remain or a cut record is an error.
///   consumed - out: bytes of `records` used.
bool DecodeLineRecords(std::string_view records, std::uint32_t width, std::uint32_t bpp,
                       std::uint32_t lines, std::string* pixels, std::size_t* consumed,
                       std::string* error);

/// DecodeRasterStream: "RaS2", then per page a 1796-byte header and its records.
bool DecodeRasterStream(std::string_view raw, std::vector<RasterPage>* pages, std::string* error);

/// CupsDecodeRasterStream: the same stream read with cupsRasterReadHeader2 and
/// cupsRasterReadPixels.
bool CupsDecodeRasterStream(std::string_view raw, std::vector<RasterPage>* pages,
                            std::string* error);

/// Gunzip: inflates one gzip stream from the start of `data`.
///   consumed - out: bytes of `data` that the stream occupies.
bool Gunzip(std::string_view data, std::string* out, std::size_t* consumed, std::string* error);

/// Gzip: one gzip stream of `data` (for expected values).
std::string Gzip(std::string_view data);

struct PrinterJob {
  std::string header;   // from the UEL up to and including "@PJL ENTER LANGUAGE=PWGRASTER\n"
  std::string gzip;     // the compressed stream
  std::string trailer;  // everything after it
  std::string raster;   // the decompressed stream
};

/// The last line of every PJL header.
inline constexpr std::string_view kEnterLanguage = "@PJL ENTER LANGUAGE=PWGRASTER\n";
/// The 9-byte universal exit language sequence.
inline constexpr std::string_view kUel = "\x1b%-12345X";

/// SplitPrinterJob: cuts a printer job into header, gzip stream and trailer.
bool SplitPrinterJob(std::string_view out, PrinterJob* job, std::string* error);

/// Line records as hex ("00 FF 01 ...") for failure messages.
std::string Hex(std::string_view bytes, std::size_t limit = 64);

}  // namespace velmora::test
