// Test-side readers of the printer stream.
#include "tests/support/raster_decode.h"

#include <cups/raster.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace velmora::test {

bool DecodeLineRecords(std::string_view records, std::uint32_t width, std::uint32_t bpp,
                       std::uint32_t lines, std::string* pixels, std::size_t* consumed,
                       std::string* error) {
  return jobreader::DecodeLineRecords(records, width, bpp, lines, pixels, consumed, nullptr, error);
}

bool DecodeRasterStream(std::string_view raw, std::vector<RasterPage>* pages, std::string* error) {
  return jobreader::ReadRasterStream(raw, pages, error);
}

namespace {

struct MemoryReader {
  std::string_view data;
  std::size_t pos = 0;
};

ssize_t ReadMemory(void* context, unsigned char* buffer, size_t length) {
  auto* reader = static_cast<MemoryReader*>(context);
  const std::size_t count = std::min(length, reader->data.size() - reader->pos);
  std::memcpy(buffer, reader->data.data() + reader->pos, count);
  reader->pos += count;
  return static_cast<ssize_t>(count);
}

}  // namespace

bool CupsDecodeRasterStream(std::string_view raw, std::vector<RasterPage>* pages,
                            std::string* error) {
  MemoryReader reader{raw};
  cups_raster_t* stream = cupsRasterOpenIO(ReadMemory, &reader, CUPS_RASTER_READ);
  if (stream == nullptr) {
    *error = "cupsRasterOpenIO refused the stream";
    return false;
  }
  cups_page_header2_t header;
  while (cupsRasterReadHeader2(stream, &header) != 0) {
    RasterPage page;
    page.width = header.cupsWidth;
    page.height = header.cupsHeight;
    page.bitsPerPixel = header.cupsBitsPerPixel;
    page.bytesPerLine = header.cupsBytesPerLine;
    page.colorSpace = static_cast<std::uint32_t>(header.cupsColorSpace);
    std::string line(header.cupsBytesPerLine, '\0');
    for (unsigned y = 0; y < header.cupsHeight; ++y) {
      if (cupsRasterReadPixels(stream, reinterpret_cast<unsigned char*>(line.data()),
                               header.cupsBytesPerLine) != header.cupsBytesPerLine) {
        *error = "cupsRasterReadPixels failed on page " + std::to_string(pages->size() + 1) +
                 " line " + std::to_string(y);
        cupsRasterClose(stream);
        return false;
      }
      page.pixels += line;
    }
    pages->push_back(std::move(page));
  }
  cupsRasterClose(stream);
  return true;
}

bool Gunzip(std::string_view data, std::string* out, std::size_t* consumed, std::string* error) {
  if (jobreader::Inflate(data, out, consumed)) return true;
  *error = "the gzip stream is damaged or incomplete";
  return false;
}

std::string Gzip(std::string_view data) {
  z_stream stream = {};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

bool SplitPrinterJob(std::string_view out, PrinterJob* job, std::string* error) {
  jobreader::Job parts;
  const bool ok = jobreader::SplitJob(out, &parts, error);
  job->header = std::move(parts.header);
  job->gzip = std::move(parts.gzip);
  job->trailer = std::move(parts.trailer);
  job->raster = std::move(parts.raster);
  return ok;
}

std::string Hex(std::string_view bytes, std::size_t limit) {
  std::string text;
  char item[4];
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    std::snprintf(item, sizeof item, "%02X ", static_cast<unsigned char>(bytes[i]));
    text += item;
  }
  if (bytes.size() > limit) text += "...";
  return text;
}

}  // namespace velmora::test
