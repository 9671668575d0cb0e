// velmora-jobinfo: shows what a printer job written by ppmtovelmora holds: its PJL settings,
// the size of the gzip stream and, per page, the raster size, colour space and encoding;
// optionally writes the decoded pages as PPM (colour) or PGM (gray) images.
//
//   velmora-jobinfo [--extract PREFIX] JOB
//
// Exit status: 0 for a well-formed job, 1 when the job is damaged (what could be read is
// shown), 2 for a wrong command line or an unreadable file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/printer_job.h"

namespace {

using velmora::jobreader::BigEndian32;

const char* ColorSpaceName(std::uint32_t colorSpace) {
  switch (colorSpace) {
    case 18:
      return "sGray";
    case 19:
      return "sRGB";
    default:
      return "other";
  }
}

bool WriteImage(const std::string& path, const velmora::jobreader::Page& page) {
  std::ofstream file(path, std::ios::binary);
  const bool gray = page.bitsPerPixel == 8;
  file << (gray ? "P5\n" : "P6\n") << page.width << ' ' << page.height << "\n255\n";
  file.write(page.pixels.data(), static_cast<std::streamsize>(page.pixels.size()));
  return static_cast<bool>(file);
}

void PrintJob(const velmora::jobreader::Job& job, std::size_t total, const char* path) {
  std::printf("printer job %s: %zu bytes\n", path, total);
  std::printf("PJL header: %zu bytes\n", job.header.size());
  std::istringstream lines(job.header);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t at = line.find("@PJL");
    if (at != std::string::npos) std::printf("  %s\n", line.c_str() + at);
  }
  std::printf("gzip stream: %zu bytes, holding %zu bytes of PWG raster", job.gzip.size(),
              job.raster.size());
  if (job.gzip.size() > 0 && !job.raster.empty()) {
    std::printf(" (%.1f : 1)",
                static_cast<double>(job.raster.size()) / static_cast<double>(job.gzip.size()));
  }
  std::printf("\npages: %zu\n", job.pages.size());
  for (std::size_t i = 0; i < job.pages.size(); ++i) {
    const velmora::jobreader::Page& page = job.pages[i];
    std::printf(
        "  page %zu: %u x %u pixels, %u bits %s, %u x %u dpi, paper %d x %d points, "
        "%u line records in %zu bytes\n",
        i + 1, page.width, page.height, page.bitsPerPixel, ColorSpaceName(page.colorSpace),
        BigEndian32(page.header, 276), BigEndian32(page.header, 280),
        static_cast<int>(BigEndian32(page.header, 352)),
        static_cast<int>(BigEndian32(page.header, 356)), page.records, page.encodedBytes);
  }
  std::string trailer;
  for (char c : job.trailer)
    trailer += c == '\x1b' ? std::string("<ESC>")
               : c == '\n' ? std::string("<LF>")
                           : std::string(1, c);
  std::printf("PJL trailer: %zu bytes: %s\n", job.trailer.size(), trailer.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* prefix = nullptr;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--extract") == 0 && i + 1 < argc) {
      prefix = argv[++i];
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      path = nullptr;
      break;
    }
  }
  if (path == nullptr) {
    std::fprintf(stderr, "usage: velmora-jobinfo [--extract PREFIX] JOB\n");
    return 2;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "velmora-jobinfo: cannot read %s\n", path);
    return 2;
  }
  std::ostringstream content;
  content << file.rdbuf();
  const std::string data = content.str();

  velmora::jobreader::Job job;
  std::string error;
  const bool ok = velmora::jobreader::ReadJob(data, &job, &error);
  PrintJob(job, data.size(), path);
  if (prefix != nullptr) {
    for (std::size_t i = 0; i < job.pages.size(); ++i) {
      const bool gray = job.pages[i].bitsPerPixel == 8;
      const std::string name =
          std::string(prefix) + "-" + std::to_string(i + 1) + (gray ? ".pgm" : ".ppm");
      if (WriteImage(name, job.pages[i])) std::printf("wrote %s\n", name.c_str());
    }
  }
  if (!ok) {
    std::fprintf(stderr, "velmora-jobinfo: %s: %s\n", path, error.c_str());
    return 1;
  }
  return 0;
}
