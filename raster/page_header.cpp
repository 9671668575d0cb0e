// Raster page header. The 16-bit sizes are widened with their sign before being written.
#include "raster/page_header.h"

#include <cstdio>
#include <cstring>

#include "raster/blank_page.h"
#include "settings/job_settings.h"
#include "stream/spool_files.h"

namespace velmora {
namespace {

void PutBigEndian(PageHeader& header, std::size_t offset, std::uint32_t value) {
  header[offset] = static_cast<std::uint8_t>(value >> 24);
  header[offset + 1] = static_cast<std::uint8_t>(value >> 16);
  header[offset + 2] = static_cast<std::uint8_t>(value >> 8);
  header[offset + 3] = static_cast<std::uint8_t>(value);
}

void PutSigned(PageHeader& header, std::size_t offset, std::int32_t value) {
  PutBigEndian(header, offset, static_cast<std::uint32_t>(value));
}

void PutText(PageHeader& header, std::size_t offset, const char* text) {
  std::memcpy(header.data() + offset, text, std::strlen(text));
}

}  // namespace

PageHeader BuildPageHeader(const JobSettings& settings) {
  namespace h = page_header;
  const bool mono = IsMonoJob(settings);
  PageHeader header{};
  PutText(header, h::kPwgRaster, "PwgRaster");
  PutText(header, h::kMediaType, "auto");
  PutBigEndian(header, h::kResolutionX, 600);
  PutBigEndian(header, h::kResolutionY, 600);
  PutSigned(header, h::kPageWidth, settings.paperWidth);
  PutSigned(header, h::kPageHeight, settings.paperHeight);
  PutBigEndian(header, h::kTumble, 0);
  PutSigned(header, h::kWidth, settings.pixelWidth);
  PutSigned(header, h::kHeight, settings.pixelHeight);
  PutBigEndian(header, h::kBitsPerColor, 8);
  PutBigEndian(header, h::kBitsPerPixel, mono ? 8 : 24);
  PutSigned(header, h::kBytesPerLine, mono ? settings.pixelWidth : settings.bytesPerLine);
  PutBigEndian(header, h::kColorSpace, mono ? h::kColorSpaceSgray : h::kColorSpaceSrgb);
  PutBigEndian(header, h::kNumColors, mono ? 1 : 3);
  return header;
}

std::int16_t StartPageHeader(const JobSettings* settings, PageState* state) {
  if (TestBlankPage(settings, state) == 1) return 0;
  const PageHeader header = BuildPageHeader(*settings);
  if (currentSpoolFile != nullptr) {
    std::fwrite(header.data(), header.size(), 1, currentSpoolFile);
  }
  return 0;
}

}  // namespace velmora
