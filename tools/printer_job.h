// Reader of printer jobs as the filter writes them: the PJL header up to the switch to PWG
// raster, one gzip stream, the PJL trailer; inside the gzip stream "RaS2" and per page a
// 1796-byte header (32-bit big-endian fields) and its line records. Written from the
// format's rules alone, independent of the filter's writer; the inspection tool and the
// tests read the filter's output with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::jobreader {

struct Page {
  std::string header;  // the 1796 header bytes
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t bytesPerLine = 0;
  std::uint32_t colorSpace = 0;
  std::uint32_t records = 0;     // line records of the page
  std::size_t encodedBytes = 0;  // bytes of its records
  std::string pixels;            // height x bytesPerLine bytes
};

struct Job {
  std::string header;   // PJL header
  std::string gzip;     // the compressed stream
  std::string raster;   // the decompressed stream
  std::string trailer;  // PJL trailer
  std::vector<Page> pages;
};

/// The 32-bit big-endian integer at `offset` of `bytes`.
std::uint32_t BigEndian32(std::string_view bytes, std::size_t offset);

/// Inflate: inflates the gzip stream at the start of `data` into `out`.
///   consumed - out: bytes of `data` that the stream occupies.
///   returns: false when the stream is damaged or ends before its end.
bool Inflate(std::string_view data, std::string* out, std::size_t* consumed);

/// DecodeLineRecords: decodes the records of `lines` lines of `width` pixels of `bpp` bytes,
/// strictly: a control byte 128, a run past the line's end, a record for more lines than
/// remain or a cut record is an error.
///   pixels   - out: the decoded lines are appended.
///   consumed - out: bytes of `records` used.
///   records  - out: number of records read (may be nullptr).
bool DecodeLineRecords(std::string_view records, std::uint32_t width, std::uint32_t bpp,
                       std::uint32_t lines, std::string* pixels, std::size_t* consumed,
                       std::uint32_t* recordCount, std::string* error);

/// ReadRasterStream: "RaS2", then per page a 1796-byte header and its records.
bool ReadRasterStream(std::string_view raster, std::vector<Page>* pages, std::string* error);

/// SplitJob: cuts a printer job into its PJL header, gzip stream and PJL trailer, and inflates
/// the raster stream; the pages are not decoded.
bool SplitJob(std::string_view data, Job* job, std::string* error);

/// ReadJob: SplitJob, then ReadRasterStream into job->pages.
///   returns: false with a one-line reason in `error` when the job is malformed; `job` then
///            holds what could be read.
bool ReadJob(std::string_view data, Job* job, std::string* error);

}  // namespace velmora::jobreader
