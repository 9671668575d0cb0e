// Test-side readers of the printer stream.
#include "tests/support/raster_decode.h"

#include <cups/raster.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace velmora::test {

std::uint32_t BigEndian32(std::string_view bytes, std::size_t offset) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
  };
  return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

bool DecodeLineRecords(std::string_view records, std::uint32_t width, std::uint32_t bpp,
                       std::uint32_t lines, std::string* pixels, std::size_t* consumed,
                       std::string* error) {
  const std::size_t lineBytes = static_cast<std::size_t>(width) * bpp;
  std::size_t pos = 0;
  std::uint32_t done = 0;
  std::string line(lineBytes, '\0');
  while (done < lines) {
    if (pos >= records.size()) {
      *error = "records end at line " + std::to_string(done);
      return false;
    }
    const std::uint32_t repeat = static_cast<unsigned char>(records[pos++]) + 1u;
    if (done + repeat > lines) {
      *error = "record at line " + std::to_string(done) + " repeats past the page end";
      return false;
    }
    std::size_t x = 0;  // pixels of the line decoded
    while (x < width) {
      if (pos >= records.size()) {
        *error = "record cut at line " + std::to_string(done);
        return false;
      }
      const unsigned control = static_cast<unsigned char>(records[pos++]);
      if (control == 128) {
        *error = "control byte 128 at line " + std::to_string(done);
        return false;
      }
      const std::size_t count = control < 128 ? control + 1u : 257u - control;
      if (x + count > width) {
        *error = "run past the line end at line " + std::to_string(done);
        return false;
      }
      const std::size_t literal = control < 128 ? 1 : count;
      if (pos + literal * bpp > records.size()) {
        *error = "pixels cut at line " + std::to_string(done);
        return false;
      }
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t from = pos + (control < 128 ? 0 : i * bpp);
        std::memcpy(line.data() + (x + i) * bpp, records.data() + from, bpp);
      }
      pos += literal * bpp;
      x += count;
    }
    for (std::uint32_t i = 0; i < repeat; ++i)
      pixels->append(line);
    done += repeat;
  }
  *consumed = pos;
  return true;
}

bool DecodeRasterStream(std::string_view raw, std::vector<RasterPage>* pages, std::string* error) {
  if (raw.substr(0, 4) != "RaS2") {
    *error = "stream does not start with RaS2";
    return false;
  }
  std::size_t pos = 4;
  while (pos < raw.size()) {
    if (raw.size() - pos < 1796) {
      *error = "page header cut at offset " + std::to_string(pos);
      return false;
    }
    RasterPage page;
    page.header = std::string(raw.substr(pos, 1796));
    page.width = BigEndian32(page.header, 372);
    page.height = BigEndian32(page.header, 376);
    page.bitsPerPixel = BigEndian32(page.header, 388);
    page.bytesPerLine = BigEndian32(page.header, 392);
    page.colorSpace = BigEndian32(page.header, 400);
    pos += 1796;
    const std::uint32_t bpp = page.bitsPerPixel / 8;
    std::size_t consumed = 0;
    if (bpp == 0 || !DecodeLineRecords(raw.substr(pos), page.width, bpp, page.height, &page.pixels,
                                       &consumed, error)) {
      if (bpp == 0) *error = "page header with 0 bits per pixel";
      *error = "page " + std::to_string(pages->size() + 1) + ": " + *error;
      return false;
    }
    pos += consumed;
    pages->push_back(std::move(page));
  }
  return true;
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
  z_stream stream = {};
  if (inflateInit2(&stream, 31) != Z_OK) {
    *error = "inflateInit2 failed";
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  char buffer[65536];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    result = inflate(&stream, Z_NO_FLUSH);
    out->append(buffer, sizeof buffer - stream.avail_out);
    if (result == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  *consumed = data.size() - stream.avail_in;
  inflateEnd(&stream);
  if (result != Z_STREAM_END) {
    *error = "the gzip stream is not complete (inflate says " + std::to_string(result) + ")";
    return false;
  }
  return true;
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
  if (out.substr(0, kUel.size()) != kUel) {
    *error = "the job does not start with the UEL";
    return false;
  }
  const std::size_t enter = out.find(kEnterLanguage);
  if (enter == std::string_view::npos) {
    *error = "no \"@PJL ENTER LANGUAGE=PWGRASTER\" line";
    return false;
  }
  const std::size_t start = enter + kEnterLanguage.size();
  job->header = std::string(out.substr(0, start));
  std::size_t consumed = 0;
  job->raster.clear();
  if (!Gunzip(out.substr(start), &job->raster, &consumed, error)) return false;
  job->gzip = std::string(out.substr(start, consumed));
  job->trailer = std::string(out.substr(start + consumed));
  return true;
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
