// Reader of printer jobs.
#include "tools/printer_job.h"

#include <zlib.h>

#include <cstring>

namespace velmora::jobreader {
namespace {

constexpr std::string_view kUel = "\x1b%-12345X";
constexpr std::string_view kEnterLanguage = "@PJL ENTER LANGUAGE=PWGRASTER\n";
constexpr std::size_t kHeaderSize = 1796;

}  // namespace

bool Inflate(std::string_view data, std::string* out, std::size_t* consumed) {
  z_stream stream = {};
  if (inflateInit2(&stream, 31) != Z_OK) return false;
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
  return result == Z_STREAM_END;
}

bool DecodeLineRecords(std::string_view records, std::uint32_t width, std::uint32_t bpp,
                       std::uint32_t lines, std::string* pixels, std::size_t* consumed,
                       std::uint32_t* recordCount, std::string* error) {
  const std::size_t lineBytes = static_cast<std::size_t>(width) * bpp;
  std::string line(lineBytes, '\0');
  std::size_t pos = 0;
  std::uint32_t y = 0;
  std::uint32_t count = 0;
  while (y < lines) {
    if (pos >= records.size()) {
      *error = "records end at line " + std::to_string(y);
      return false;
    }
    const std::uint32_t repeat = static_cast<unsigned char>(records[pos++]) + 1u;
    if (y + repeat > lines) {
      *error = "a record at line " + std::to_string(y) + " repeats past the page's end";
      return false;
    }
    std::size_t x = 0;
    while (x < width) {
      if (pos >= records.size()) {
        *error = "a record is cut at line " + std::to_string(y);
        return false;
      }
      const unsigned control = static_cast<unsigned char>(records[pos++]);
      if (control == 128) {
        *error = "control byte 128 at line " + std::to_string(y);
        return false;
      }
      const std::size_t run = control < 128 ? control + 1u : 257u - control;
      const std::size_t literal = control < 128 ? 1 : run;
      if (x + run > width) {
        *error = "a run passes the end of line " + std::to_string(y);
        return false;
      }
      if (pos + literal * bpp > records.size()) {
        *error = "pixels are cut at line " + std::to_string(y);
        return false;
      }
      for (std::size_t i = 0; i < run; ++i) {
        const std::size_t from = pos + (control < 128 ? 0 : i * bpp);
        std::memcpy(line.data() + (x + i) * bpp, records.data() + from, bpp);
      }
      pos += literal * bpp;
      x += run;
    }
    for (std::uint32_t i = 0; i < repeat; ++i)
      pixels->append(line);
    y += repeat;
    ++count;
  }
  *consumed = pos;
  if (recordCount != nullptr) *recordCount = count;
  return true;
}

bool ReadRasterStream(std::string_view raster, std::vector<Page>* pages, std::string* error) {
  if (raster.substr(0, 4) != "RaS2") {
    *error = "the raster stream does not start with \"RaS2\"";
    return false;
  }
  std::size_t pos = 4;
  while (pos < raster.size()) {
    const std::string number = "page " + std::to_string(pages->size() + 1) + ": ";
    if (raster.size() - pos < kHeaderSize) {
      *error = number + "its header is cut";
      return false;
    }
    Page page;
    page.header = std::string(raster.substr(pos, kHeaderSize));
    page.width = BigEndian32(page.header, 372);
    page.height = BigEndian32(page.header, 376);
    page.bitsPerPixel = BigEndian32(page.header, 388);
    page.bytesPerLine = BigEndian32(page.header, 392);
    page.colorSpace = BigEndian32(page.header, 400);
    pos += kHeaderSize;
    const std::uint32_t bpp = page.bitsPerPixel / 8;
    if (bpp == 0 || page.bitsPerPixel % 8 != 0) {
      *error = number + "unsupported bits per pixel " + std::to_string(page.bitsPerPixel);
      pages->push_back(std::move(page));
      return false;
    }
    std::size_t used = 0;
    std::string reason;
    const bool ok = DecodeLineRecords(raster.substr(pos), page.width, bpp, page.height,
                                      &page.pixels, &used, &page.records, &reason);
    page.encodedBytes = used;
    pages->push_back(std::move(page));
    if (!ok) {
      *error = number + reason;
      return false;
    }
    pos += used;
  }
  return true;
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

bool SplitJob(std::string_view data, Job* job, std::string* error) {
  if (data.substr(0, kUel.size()) != kUel) {
    *error = "the job does not start with the universal exit language sequence";
    return false;
  }
  const std::size_t enter = data.find(kEnterLanguage);
  if (enter == std::string_view::npos) {
    *error = "the PJL header has no \"@PJL ENTER LANGUAGE=PWGRASTER\" line";
    return false;
  }
  const std::size_t start = enter + kEnterLanguage.size();
  job->header = std::string(data.substr(0, start));
  std::size_t consumed = 0;
  job->raster.clear();
  const bool complete = Inflate(data.substr(start), &job->raster, &consumed);
  job->gzip = std::string(data.substr(start, consumed));
  job->trailer = std::string(data.substr(start + consumed));
  if (!complete) {
    *error = "the gzip stream is damaged or incomplete";
    return false;
  }
  return true;
}

bool ReadJob(std::string_view data, Job* job, std::string* error) {
  if (!SplitJob(data, job, error)) return false;
  if (job->raster.empty()) return true;  // a job whose first page could not be read
  return ReadRasterStream(job->raster, &job->pages, error);
}

}  // namespace velmora::jobreader
