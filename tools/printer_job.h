// Reader of printer jobs as the filter writes them: the PJL header up to the switch to PWG
// raster, one gzip stream, the PJL trailer; inside the gzip stream "RaS2" and per page a
// 1796-byte header (32-bit big-endian fields) and its line records. Written from the
// format's rules alone, independent of the filter's writer, for the inspection tool.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::inspect {

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
  std::string header;  // PJL header
  std::size_t gzipBytes = 0;
  std::string raster;   // the decompressed stream
  std::string trailer;  // PJL trailer
  std::vector<Page> pages;
};

/// The 32-bit big-endian integer at `offset` of `bytes`.
std::uint32_t BigEndian32(std::string_view bytes, std::size_t offset);

/// ReadJob: splits and decodes a whole printer job.
///   returns: false with a one-line reason in `error` when the job is malformed; `job` then
///            holds what could be read.
bool ReadJob(std::string_view data, Job* job, std::string* error);

}  // namespace velmora::inspect
