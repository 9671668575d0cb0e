// Benchmark pages, made once per process.
#include "bench/pages.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#ifndef VELMORA_SOURCE_DIR
#error "VELMORA_SOURCE_DIR must name the source folder"
#endif

namespace velmora::bench {
namespace {

constexpr std::size_t kPageBytes = 3ull * kA4Width * kA4Height;

// Skips one PPM header token and the single white-space character after it.
bool SkipToken(std::FILE* in) {
  int c = std::getc(in);
  while (c == '#') {
    while (c != '\n' && c != EOF)
      c = std::getc(in);
    c = std::getc(in);
  }
  while (c != EOF && c != ' ' && c != '\n' && c != '\t' && c != '\r')
    c = std::getc(in);
  return c != EOF;
}

bool RenderPage(int number, std::vector<std::uint8_t>* rgb) {
  const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r600 -dFirstPage=" +
                              std::to_string(number) + " -dLastPage=" + std::to_string(number) +
                              " -sOutputFile=- " VELMORA_SOURCE_DIR
                              "/examples/documents/sample.ps 2>/dev/null";
  std::FILE* in = ::popen(command.c_str(), "r");
  if (in == nullptr) return false;
  bool ok = true;
  for (int i = 0; i < 4 && ok; ++i)
    ok = SkipToken(in);
  rgb->resize(kPageBytes);
  ok = ok && std::fread(rgb->data(), 1, kPageBytes, in) == kPageBytes;
  return ::pclose(in) == 0 && ok;
}

// Text-like strokes on white, and a band of colour bars: what a document page looks like to
// the encoder when Ghostscript is not at hand.
void SyntheticPage(int number, std::vector<std::uint8_t>* rgb) {
  rgb->assign(kPageBytes, 0xFF);
  std::mt19937 random(static_cast<unsigned>(number));
  for (int y = 600; y < kA4Height - 600; y += 120) {
    for (int x = 600; x < kA4Width - 600; x += 40 + static_cast<int>(random() % 40)) {
      const int glyph = 20 + static_cast<int>(random() % 30);
      for (int dy = 0; dy < 70; ++dy) {
        for (int dx = 0; dx < glyph; dx += 1 + static_cast<int>(random() % 3)) {
          const std::size_t at = (static_cast<std::size_t>(y + dy) * kA4Width + x + dx) * 3;
          (*rgb)[at] = (*rgb)[at + 1] = (*rgb)[at + 2] = 0;
        }
      }
    }
  }
  if (number == 2) {
    for (int y = 2000; y < 4000; ++y) {
      for (int x = 600; x < kA4Width - 600; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * kA4Width + x) * 3;
        (*rgb)[at] = static_cast<std::uint8_t>(x / 16);
        (*rgb)[at + 1] = static_cast<std::uint8_t>(y / 8);
        (*rgb)[at + 2] = 128;
      }
    }
  }
}

}  // namespace

const BenchPage& DocumentPage(int number) {
  static std::map<int, BenchPage> pages;
  auto found = pages.find(number);
  if (found != pages.end()) return found->second;
  BenchPage page;
  if (RenderPage(number, &page.rgb)) {
    page.name = "document" + std::to_string(number);
  } else {
    std::fprintf(stderr, "bench: Ghostscript unavailable, using a synthetic page %d\n", number);
    SyntheticPage(number, &page.rgb);
    page.name = "synthetic" + std::to_string(number);
  }
  return pages.emplace(number, std::move(page)).first->second;
}

const BenchPage& NoisePage() {
  static const BenchPage page = [] {
    BenchPage noise{"noise", std::vector<std::uint8_t>(kPageBytes)};
    std::mt19937_64 random(42);
    for (std::size_t i = 0; i + 8 <= noise.rgb.size(); i += 8) {
      const std::uint64_t value = random();
      for (int b = 0; b < 8; ++b)
        noise.rgb[i + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
    }
    return noise;
  }();
  return page;
}

const BenchPage& WhitePage() {
  static const BenchPage page{"white", std::vector<std::uint8_t>(kPageBytes, 0xFF)};
  return page;
}

}  // namespace velmora::bench
