// Raster benchmarks on 600-dpi A4 pages (4958 x 7017): the page encoder (EncodeLine and line
// merging), the gray conversion and the blank test, each beside its baseline measured in the
// same run: a straightforward per-pixel implementation, libcups's PWG raster writer
// (cupsRasterWritePixels) for the encoder, and a plain read of the page for memory speed.
#include <benchmark/benchmark.h>
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/baselines.h"
#include "bench/pages.h"
#include "raster/blank_page.h"
#include "raster/gray_line.h"
#include "raster/send_raster.h"
#include "settings/job_settings.h"

namespace velmora::bench {
namespace {

const BenchPage& PageFor(int which) {
  switch (which) {
    case 0:
      return DocumentPage(1);
    case 1:
      return DocumentPage(2);
    default:
      return NoisePage();
  }
}

// Writes go to /dev/null through stdio, as the filter writes its spool file.
struct NullStream {
  std::FILE* file = std::fopen("/dev/null", "wb");
  ~NullStream() { std::fclose(file); }
};

JobSettings A4Settings(bool mono) {
  JobSettings settings = {};
  settings.pixelWidth = kA4Width;
  settings.pixelHeight = kA4Height;
  settings.bytesPerLine = 3 * kA4Width;
  settings.colorMode = mono ? 0 : 1;
  return settings;
}

void SetPageCounters(benchmark::State& state, const BenchPage& page) {
  state.SetLabel(page.name);
  state.SetItemsProcessed(state.iterations() * kA4Height);  // lines
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.rgb.size()));
}

void BM_EncodePage(benchmark::State& state) {
  const BenchPage& page = PageFor(static_cast<int>(state.range(0)));
  const bool mono = state.range(1) != 0;
  const JobSettings settings = A4Settings(mono);
  NullStream out;
  for (auto _ : state)
    benchmark::DoNotOptimize(EncodePage(settings, page.rgb.data(), out.file));
  SetPageCounters(state, page);
}

void BM_NaiveEncodePage(benchmark::State& state) {
  const BenchPage& page = PageFor(static_cast<int>(state.range(0)));
  const bool mono = state.range(1) != 0;
  NullStream out;
  for (auto _ : state)
    NaiveEncodePage(page.rgb.data(), kA4Width, kA4Height, mono, out.file);
  SetPageCounters(state, page);
}

void BM_CupsWritePixels(benchmark::State& state) {
  const BenchPage& page = PageFor(static_cast<int>(state.range(0)));
  const int fd = ::open("/dev/null", O_WRONLY);
  cups_page_header2_t header = {};
  header.HWResolution[0] = header.HWResolution[1] = 600;
  header.cupsWidth = kA4Width;
  header.cupsHeight = kA4Height;
  header.cupsBitsPerColor = 8;
  header.cupsBitsPerPixel = 24;
  header.cupsBytesPerLine = 3 * kA4Width;
  header.cupsColorOrder = CUPS_ORDER_CHUNKED;
  header.cupsColorSpace = CUPS_CSPACE_SRGB;
  header.cupsNumColors = 3;
  std::vector<unsigned char> line(header.cupsBytesPerLine);
  for (auto _ : state) {
    cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_PWG);
    cupsRasterWriteHeader2(raster, &header);
    for (int y = 0; y < kA4Height; ++y) {
      // The writer may change the line it is given; hand it a copy, as a caller would.
      std::memcpy(line.data(), page.rgb.data() + static_cast<std::size_t>(y) * line.size(),
                  line.size());
      cupsRasterWritePixels(raster, line.data(), header.cupsBytesPerLine);
    }
    cupsRasterClose(raster);
  }
  ::close(fd);
  SetPageCounters(state, page);
}

// Converts every line of `page` with `convert` once per iteration.
template <typename Convert>
void ConvertPage(benchmark::State& state, const BenchPage& page, Convert convert) {
  std::vector<std::uint8_t> gray(kA4Width);
  for (auto _ : state) {
    for (int y = 0; y < kA4Height; ++y) {
      convert(gray.data(), page.rgb.data() + static_cast<std::size_t>(y) * 3 * kA4Width, kA4Width);
      benchmark::DoNotOptimize(gray.data());
    }
  }
  SetPageCounters(state, page);
}

void BM_GrayConversion(benchmark::State& state) {
  ConvertPage(state, PageFor(static_cast<int>(state.range(0))), ConvertLineToGray);
}

// Each implementation of the conversion on the text page (0 is the one the filter uses).
void BM_GrayConversionVariant(benchmark::State& state) {
  const auto variants = GrayLineVariants();
  const auto index = static_cast<std::size_t>(state.range(0));
  if (index >= variants.size()) {
    state.SkipWithError("this processor lacks that variant");
    return;
  }
  ConvertPage(state, PageFor(0), variants[index].convert);
  state.SetLabel(variants[index].name);
}

void BM_NaiveGrayConversion(benchmark::State& state) {
  ConvertPage(state, PageFor(static_cast<int>(state.range(0))), NaiveGrayLine);
}

void BM_BlankTest(benchmark::State& state) {
  const BenchPage& page = WhitePage();  // the whole page is scanned
  for (auto _ : state)
    benchmark::DoNotOptimize(IsAllWhite(page.rgb.data(), page.rgb.size()));
  SetPageCounters(state, page);
}

void BM_NaiveBlankTest(benchmark::State& state) {
  const BenchPage& page = WhitePage();
  for (auto _ : state)
    benchmark::DoNotOptimize(NaiveIsAllWhite(page.rgb.data(), page.rgb.size()));
  SetPageCounters(state, page);
}

void BM_MemoryRead(benchmark::State& state) {
  const BenchPage& page = WhitePage();
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadAll(page.rgb.data(), page.rgb.size()));
  SetPageCounters(state, page);
}

// Pages: 0 the text page, 1 the graphics page, 2 noise. Second argument: 1 for mono.
BENCHMARK(BM_EncodePage)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveEncodePage)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CupsWritePixels)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayConversion)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrayConversionVariant)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveGrayConversion)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlankTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveBlankTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
