// SendRaster and EncodePage: merging of identical lines and the repeat byte's limit, mono
// pages (white as FE, different RGB lines with one gray merged), blank and empty pages, the
// spool file's closing, failed writes, and whole pages (also wider than 10771 colour and
// 7200 mono pixels) decoded back by libcups and by the tests' own decoder.
#include "raster/send_raster.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "job/page_buffer.h"
#include "job/page_state.h"
#include "raster/gray_line.h"
#include "raster/line_encoder.h"
#include "raster/page_header.h"
#include "settings/job_settings.h"
#include "src_header/kxfiletool.h"
#include "stream/spool_files.h"
#include "tests/support/pages.h"
#include "tests/support/raster_decode.h"

namespace velmora {
namespace {

using namespace std::string_literals;

constexpr std::int16_t kMono = 0;
constexpr std::int16_t kFullColor = 1;
constexpr std::int16_t kAuto = 2;

JobSettings Settings(std::int16_t colorMode, int width, int height) {
  JobSettings s{};
  s.colorMode = colorMode;
  s.paperWidth = 595;
  s.paperHeight = 842;
  s.pixelWidth = static_cast<std::int16_t>(width);
  s.pixelHeight = static_cast<std::int16_t>(height);
  s.bytesPerLine = 3 * width;
  return s;
}

const std::uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

// Everything in a stream from its start.
std::string ReadAll(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, count);
  return bytes;
}

// EncodePage's records for `raster`, and its status.
std::pair<int, std::string> Encoded(const JobSettings& settings, const std::string& raster) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return {-1, "no temporary file"};
  const int status = EncodePage(settings, Bytes(raster), file);
  std::string bytes = ReadAll(file);
  std::fclose(file);
  return {status, std::move(bytes)};
}

std::string GrayRaster(const std::string& rgb) {
#if defined(__x86_64__)
  return test::ReferenceGrayRaster(rgb);
#else
  // Elsewhere long double is not the 80-bit format; GrayOf is its exact integer form.
  std::string gray(rgb.size() / 3, '\0');
  for (std::size_t i = 0; i < gray.size(); ++i) {
    gray[i] = static_cast<char>(GrayOf(static_cast<unsigned char>(rgb[3 * i]),
                                       static_cast<unsigned char>(rgb[3 * i + 1]),
                                       static_cast<unsigned char>(rgb[3 * i + 2])));
  }
  return gray;
#endif
}

// The record body (all but the repeat byte) of one output line.
std::string Body(const std::string& line, std::uint32_t bytesPerPixel) {
  LineEncoder encoder{};
  encoder.lineLength = static_cast<std::uint32_t>(line.size());
  encoder.lineCount = 1;
  encoder.bytesPerPixel = bytesPerPixel;
  const std::int32_t length = EncodeLine(&encoder, Bytes(line));
  std::string body;
  if (length > 1)
    body.assign(reinterpret_cast<const char*>(encoder.buffer) + 1,
                static_cast<std::size_t>(length - 1));
  ReleaseLineEncoder(&encoder);
  return body;
}

std::string P(int v) {
  return std::string(3, static_cast<char>(v));
}

std::string HeaderText(const JobSettings& settings) {
  const PageHeader header = BuildPageHeader(settings);
  return std::string(reinterpret_cast<const char*>(header.data()), header.size());
}

// ---------------------------------------------------------------------------------------
// Line merging.

struct MergeCase {
  const char* name;
  std::vector<std::pair<char, int>> lines;    // line 'A' or 'B', how many in a row
  std::vector<std::pair<int, char>> records;  // repeat byte, line
};

void PrintTo(const MergeCase& c, std::ostream* os) {
  *os << c.name << ":";
  for (const auto& [line, count] : c.lines)
    *os << " " << count << " x " << line;
}

class LineMergingTest : public testing::TestWithParam<MergeCase> {};

TEST_P(LineMergingTest, RepeatBytesCountIdenticalLines) {
  const MergeCase& c = GetParam();
  // Neutral pixels, so that the two lines differ in colour and in gray.
  const std::string a = P(1) + P(2) + P(3) + P(3);
  const std::string b = P(7) + P(7) + P(7) + P(8);
  std::string raster;
  int height = 0;
  for (const auto& [line, count] : c.lines) {
    for (int i = 0; i < count; ++i)
      raster += line == 'A' ? a : b;
    height += count;
  }
  for (const std::int16_t mode : {kFullColor, kMono}) {
    SCOPED_TRACE(mode == kMono ? "mono" : "colour");
    const std::uint32_t bpp = mode == kMono ? 1 : 3;
    const std::string bodyA = Body(mode == kMono ? GrayRaster(a) : a, bpp);
    const std::string bodyB = Body(mode == kMono ? GrayRaster(b) : b, bpp);
    std::string expected;
    for (const auto& [repeat, line] : c.records) {
      expected += static_cast<char>(repeat);
      expected += line == 'A' ? bodyA : bodyB;
    }
    const auto [status, records] = Encoded(Settings(mode, 4, height), raster);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(records, expected) << "records  " << test::Hex(records, 128) << "\nexpected "
                                 << test::Hex(expected, 128);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LineMergingTest,
    testing::Values(
        MergeCase{"OneLine", {{'A', 1}}, {{0x00, 'A'}}},
        MergeCase{"TwoLines", {{'A', 2}}, {{0x01, 'A'}}},
        MergeCase{"Lines255", {{'A', 255}}, {{0xFE, 'A'}}},
        MergeCase{"Lines256", {{'A', 256}}, {{0xFF, 'A'}}},
        MergeCase{"Lines257", {{'A', 257}}, {{0xFF, 'A'}, {0x00, 'A'}}},
        MergeCase{"Lines300", {{'A', 300}}, {{0xFF, 'A'}, {0x2B, 'A'}}},
        MergeCase{"Lines512", {{'A', 512}}, {{0xFF, 'A'}, {0xFF, 'A'}}},
        MergeCase{"Lines513", {{'A', 513}}, {{0xFF, 'A'}, {0xFF, 'A'}, {0x00, 'A'}}},
        MergeCase{"Alternating", {{'A', 1}, {'B', 1}, {'A', 1}}, {{0, 'A'}, {0, 'B'}, {0, 'A'}}},
        MergeCase{"DifferentLineEndsTheRecord", {{'A', 2}, {'B', 1}}, {{1, 'A'}, {0, 'B'}}},
        MergeCase{"DifferentLineAfterAFullRecord", {{'A', 256}, {'B', 1}}, {{0xFF, 'A'}, {0, 'B'}}},
        MergeCase{"DifferentLineAfterAFullRecordAndOne",
                  {{'A', 257}, {'B', 3}},
                  {{0xFF, 'A'}, {0, 'A'}, {2, 'B'}}},
        MergeCase{"Mixed",
                  {{'A', 300}, {'B', 3}, {'A', 1}, {'B', 256}},
                  {{0xFF, 'A'}, {0x2B, 'A'}, {2, 'B'}, {0, 'A'}, {0xFF, 'B'}}}),
    [](const testing::TestParamInfo<MergeCase>& param) { return std::string(param.param.name); });

TEST(EncodePage, MonoWhitePageIsWrittenAsFE) {
  const auto [status, records] =
      Encoded(Settings(kMono, 300, 3), test::SolidRgb(300, 3, 255, 255, 255));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(records, "\x02\x7F\xFE\x7F\xFE\x2B\xFE"s) << test::Hex(records);
  const auto [colourStatus, colour] =
      Encoded(Settings(kAuto, 300, 3), test::SolidRgb(300, 3, 255, 255, 255));
  EXPECT_EQ(colour, "\x02\x7F\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x2B\xFF\xFF\xFF"s) << test::Hex(colour);
}

TEST(EncodePage, MonoLinesWithTheSameGrayAreMerged) {
  // Red and a green of the same gray, in lines that differ as RGB.
  ASSERT_EQ(GrayOf(255, 0, 0), 76);
  ASSERT_EQ(GrayOf(0, 129, 0), 76);
  const std::string red = test::SolidRgb(5, 1, 255, 0, 0);
  const std::string green = test::SolidRgb(5, 1, 0, 129, 0);
  const std::string mixed = P(76) + test::SolidRgb(4, 1, 0, 129, 0);  // (76,76,76) -> 75
  const std::string raster = red + green + red + green + mixed + mixed;
  const auto [status, mono] = Encoded(Settings(kMono, 5, 6), raster);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(mono, "\x03\x04\x4C\x01\x00\x4B\x03\x4C"s) << test::Hex(mono);
  // In colour every change is a new record.
  const auto [colourStatus, colour] = Encoded(Settings(kFullColor, 5, 6), raster);
  std::string pixels;
  std::size_t consumed = 0;
  std::string error;
  ASSERT_TRUE(test::DecodeLineRecords(colour, 5, 3, 6, &pixels, &consumed, &error)) << error;
  EXPECT_EQ(pixels, raster);
  EXPECT_EQ(colour[0], 0);
}

// ---------------------------------------------------------------------------------------
// SendRaster on the page buffer and the spool file.

class SendRasterTest : public testing::Test {
 protected:
  void SetUp() override {
    gRcInfo = kDefaultRcInfo;
    currentSpoolFile = nullptr;
  }
  void TearDown() override {
    CloseCurrentSpoolFile();
    FreePageBuffer();
    if (spoolCopy_ >= 0) close(spoolCopy_);
    gRcInfo = kDefaultRcInfo;
  }

  // Puts `raster` into the page buffer and opens a spool file holding `already`.
  void Prepare(const JobSettings& settings, const std::string& raster,
               const std::string& already = "") {
    if (settings.pixelHeight > 0) {
      ASSERT_EQ(AllocPageBuffer(settings.bytesPerLine, settings.pixelHeight), 0);
      ASSERT_EQ(static_cast<std::size_t>(pageBufferSize), raster.size());
      std::memcpy(pageBuffer, raster.data(), raster.size());
    }
    currentSpoolFile = std::tmpfile();
    ASSERT_NE(currentSpoolFile, nullptr);
    if (!already.empty()) {
      ASSERT_EQ(std::fwrite(already.data(), already.size(), 1, currentSpoolFile), 1u);
    }
    // SendRaster closes the stream, which removes the temporary file: keep it open here.
    spoolCopy_ = dup(fileno(currentSpoolFile));
    ASSERT_GE(spoolCopy_, 0);
  }

  // What the spool file holds once SendRaster has closed it.
  std::string Spooled() const {
    std::string bytes;
    char buffer[65536];
    off_t offset = 0;
    ssize_t count;
    while ((count = pread(spoolCopy_, buffer, sizeof buffer, offset)) > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
      offset += count;
    }
    return bytes;
  }

  static void SkipBlankOn() {
    ASSERT_EQ(SetListParam(RowNumber(Row::kSkipBlank), "ON", &gRcInfo), 0);
  }

  PageState state_{};
  int spoolCopy_ = -1;
};

TEST_F(SendRasterTest, AppendsThePageRecordsAndClosesTheSpoolFile) {
  std::mt19937 random(3);
  for (const std::int16_t mode : {kAuto, kMono}) {
    SCOPED_TRACE(mode == kMono ? "mono" : "colour");
    const JobSettings settings = Settings(mode, 40, 30);
    const std::string raster = test::RandomRgb(40, 30, random, 3);
    const std::string header = HeaderText(settings);
    Prepare(settings, raster, "RaS2" + header);
    EXPECT_EQ(SendRaster(&settings, &state_), 0);
    EXPECT_EQ(currentSpoolFile, nullptr);
    const auto [status, records] = Encoded(settings, raster);
    ASSERT_EQ(status, 0);
    EXPECT_FALSE(records.empty());
    EXPECT_TRUE(Spooled() == "RaS2" + header + records);
    FreePageBuffer();
    close(spoolCopy_);
    spoolCopy_ = -1;
  }
}

struct BlankCase {
  const char* name;
  bool skipBlankOn;
  std::uint16_t flagsBefore;
  bool white;
  bool written;
  std::uint16_t flagsAfter;
};

void PrintTo(const BlankCase& c, std::ostream* os) {
  *os << c.name;
}

class SendRasterBlankTest : public SendRasterTest, public testing::WithParamInterface<BlankCase> {};

TEST_P(SendRasterBlankTest, SkipsOnlyAPageMarkedAndFoundBlank) {
  const BlankCase& c = GetParam();
  if (c.skipBlankOn) SkipBlankOn();
  const JobSettings settings = Settings(kFullColor, 16, 4);
  std::string raster = test::SolidRgb(16, 4, 255, 255, 255);
  if (!c.white) raster[100] = '\xFE';
  Prepare(settings, raster);
  state_.flags = c.flagsBefore;
  EXPECT_EQ(SendRaster(&settings, &state_), 0);
  EXPECT_EQ(currentSpoolFile, nullptr);
  EXPECT_EQ(state_.flags, c.flagsAfter);
  if (c.written) {
    EXPECT_EQ(Spooled(), Encoded(settings, raster).second);
  } else {
    EXPECT_EQ(Spooled(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, SendRasterBlankTest,
    testing::Values(BlankCase{"OnMarkedWhite", true, kBlankPageFlag, true, false, kBlankPageFlag},
                    // The test is only asked again for a page that StartPage marked.
                    BlankCase{"OnUnmarkedWhite", true, 0, true, true, 0},
                    BlankCase{"OnMarkedWithInk", true, kBlankPageFlag | 0x10, false, true, 0x10},
                    BlankCase{"OffMarkedWhite", false, kBlankPageFlag, true, true, 0},
                    BlankCase{"OffUnmarkedWhite", false, 0, true, true, 0}),
    [](const testing::TestParamInfo<BlankCase>& param) { return std::string(param.param.name); });

TEST_F(SendRasterTest, PageWithoutLinesWritesNothingAndClosesTheSpoolFile) {
  const JobSettings settings = Settings(kFullColor, 16, 0);
  Prepare(settings, "", "head");
  EXPECT_EQ(SendRaster(&settings, &state_), 0);
  EXPECT_EQ(currentSpoolFile, nullptr);
  EXPECT_EQ(Spooled(), "head");
}

TEST_F(SendRasterTest, WithoutASpoolFileFails) {
  const JobSettings settings = Settings(kFullColor, 4, 2);
  ASSERT_EQ(AllocPageBuffer(settings.bytesPerLine, settings.pixelHeight), 0);
  EXPECT_EQ(SendRaster(&settings, &state_), 1);
  EXPECT_EQ(currentSpoolFile, nullptr);
}

// /dev/full refuses every write, root's included; unbuffered, the first record fails.
std::FILE* OpenFullDevice() {
  std::FILE* file = std::fopen("/dev/full", "w");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

TEST_F(SendRasterTest, FailedWriteFailsTheOperationAndClosesTheSpoolFile) {
  std::mt19937 random(5);
  for (const std::int16_t mode : {kFullColor, kMono}) {
    SCOPED_TRACE(mode == kMono ? "mono" : "colour");
    const JobSettings settings = Settings(mode, 50, 20);
    const std::string raster = test::RandomRgb(50, 20, random, 4);
    ASSERT_EQ(AllocPageBuffer(settings.bytesPerLine, settings.pixelHeight), 0);
    std::memcpy(pageBuffer, raster.data(), raster.size());
    currentSpoolFile = OpenFullDevice();
    ASSERT_NE(currentSpoolFile, nullptr);
    EXPECT_EQ(SendRaster(&settings, &state_), 1);
    EXPECT_EQ(currentSpoolFile, nullptr);
  }
}

// A stream that takes `limit` bytes in whole writes, then refuses every write.
struct LimitedSink {
  std::size_t limit;
  std::string written;
  int refused = 0;
};

ssize_t WriteLimited(void* cookie, const char* data, std::size_t size) {
  auto* sink = static_cast<LimitedSink*>(cookie);
  if (sink->written.size() + size > sink->limit) {
    ++sink->refused;
    return 0;  // a cookie stream's write reports an error as 0 bytes written
  }
  sink->written.append(data, size);
  return static_cast<ssize_t>(size);
}

TEST(EncodePage, StopsAtTheFirstFailedWrite) {
  std::mt19937 random(9);
  for (const std::int16_t mode : {kFullColor, kMono}) {
    SCOPED_TRACE(mode == kMono ? "mono" : "colour");
    const JobSettings settings = Settings(mode, 64, 40);
    const std::string raster = test::RandomRgb(64, 40, random, 2);
    const auto [status, all] = Encoded(settings, raster);
    ASSERT_EQ(status, 0);
    {
      std::FILE* full = OpenFullDevice();
      ASSERT_NE(full, nullptr);
      EXPECT_EQ(EncodePage(settings, Bytes(raster), full), 1);
      std::fclose(full);
    }
    LimitedSink sink{all.size() / 2, {}};
    cookie_io_functions_t functions{};
    functions.write = WriteLimited;
    std::FILE* limited = fopencookie(&sink, "w", functions);
    ASSERT_NE(limited, nullptr);
    std::setvbuf(limited, nullptr, _IONBF, 0);
    EXPECT_EQ(EncodePage(settings, Bytes(raster), limited), 1);
    std::fclose(limited);
    EXPECT_EQ(sink.refused, 1) << "no write after the failed one";
    EXPECT_FALSE(sink.written.empty());
    EXPECT_TRUE(all.compare(0, sink.written.size(), sink.written) == 0) << "the records before it";
  }
}

// ---------------------------------------------------------------------------------------
// Whole pages through the raster readers.

struct Page {
  std::int16_t colorMode;
  int width;
  int height;
  std::string rgb;
};

// "RaS2" and every page's header and records, as the spool files carry them.
std::string RasterStream(const std::vector<Page>& pages) {
  std::string stream = "RaS2";
  for (const Page& page : pages) {
    const JobSettings settings = Settings(page.colorMode, page.width, page.height);
    const auto [status, records] = Encoded(settings, page.rgb);
    EXPECT_EQ(status, 0);
    stream += HeaderText(settings) + records;
  }
  return stream;
}

void ExpectPagesRoundTrip(const std::vector<Page>& pages) {
  const std::string stream = RasterStream(pages);
  for (const bool cups : {false, true}) {
    SCOPED_TRACE(cups ? "libcups" : "own decoder");
    std::vector<test::RasterPage> decoded;
    std::string error;
    const bool ok = cups ? test::CupsDecodeRasterStream(stream, &decoded, &error)
                         : test::DecodeRasterStream(stream, &decoded, &error);
    ASSERT_TRUE(ok) << error;
    ASSERT_EQ(decoded.size(), pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const Page& page = pages[i];
      const bool mono = page.colorMode == kMono;
      SCOPED_TRACE("page " + std::to_string(i + 1) + (mono ? " mono " : " colour ") +
                   std::to_string(page.width) + " x " + std::to_string(page.height));
      EXPECT_EQ(decoded[i].width, static_cast<std::uint32_t>(page.width));
      EXPECT_EQ(decoded[i].height, static_cast<std::uint32_t>(page.height));
      EXPECT_EQ(decoded[i].bitsPerPixel, mono ? 8u : 24u);
      EXPECT_EQ(decoded[i].bytesPerLine,
                static_cast<std::uint32_t>(mono ? page.width : 3 * page.width));
      const std::string expected = mono ? GrayRaster(page.rgb) : page.rgb;
      if (decoded[i].pixels != expected) {
        std::size_t at = 0;
        while (at < expected.size() && at < decoded[i].pixels.size() &&
               decoded[i].pixels[at] == expected[at]) {
          ++at;
        }
        ADD_FAILURE() << "pixels differ from byte " << at << " of " << expected.size();
      }
    }
  }
}

// Structured pages: bands of identical lines past the repeat limit, stripes, gradients.
std::string Bands(int width, int height) {
  std::string rgb;
  for (int y = 0; y < height; ++y) {
    const int band = y / 300;
    rgb += test::SolidRgb(width, 1, static_cast<std::uint8_t>(40 * band), 200,
                          static_cast<std::uint8_t>(255 - band));
  }
  return rgb;
}

std::string Stripes(int width, int height, int period) {
  std::string rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool dark = (x / period) % 2 == 0;
      rgb += dark ? P(0) : "\xFF\x80\x00"s;
    }
  }
  return rgb;
}

std::string Gradient(int width, int height) {
  std::string rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rgb += static_cast<char>(x & 0xFF);
      rgb += static_cast<char>(y & 0xFF);
      rgb += static_cast<char>((x + y) / 3 & 0xFF);
    }
  }
  return rgb;
}

TEST(EncodePage, PagesRoundTripThroughBothDecoders) {
  std::mt19937 random(11);
  std::vector<Page> pages;
  for (const std::int16_t mode : {kAuto, kMono}) {
    pages.push_back({mode, 1, 1, P(0x42)});
    pages.push_back({mode, 37, 23, test::RandomRgb(37, 23, random)});
    pages.push_back({mode, 300, 40, test::RandomRgb(300, 40, random, 3)});
    pages.push_back({mode, 129, 70, test::RandomRgb(129, 70, random, 2)});
    pages.push_back({mode, 300, 10, test::SolidRgb(300, 10, 255, 255, 255)});
    pages.push_back({mode, 9, 700, Bands(9, 700)});
    pages.push_back({mode, 515, 30, Stripes(515, 30, 129)});
    pages.push_back({mode, 260, 260, Gradient(260, 260)});
  }
  ExpectPagesRoundTrip(pages);
}

TEST(EncodePage, RandomPagesRoundTrip) {
  std::mt19937 random(13);
  std::uniform_int_distribution<int> sizes(1, 200);
  std::uniform_int_distribution<int> colours(1, 5);
  std::vector<Page> pages;
  for (int i = 0; i < 40; ++i) {
    const int width = sizes(random);
    const int height = sizes(random);
    const int c = colours(random);
    pages.push_back({i % 2 == 0 ? kFullColor : kMono, width, height,
                     test::RandomRgb(width, height, random, c == 5 ? 256 : c)});
  }
  ExpectPagesRoundTrip(pages);
}

// Widths past the fixed buffers of the past: a colour record over 32400 bytes (wider than
// 10771 pixels), a gray line over 7200 pixels, and the widest width the settings can hold.
TEST(EncodePage, WidePagesRoundTrip) {
  std::mt19937 random(17);
  std::string colour = test::RandomRgb(11000, 3, random) + test::SolidRgb(11000, 1, 255, 255, 255) +
                       test::RandomRgb(11000, 2, random, 2);
  {
    const auto [status, records] = Encoded(Settings(kFullColor, 11000, 1), colour.substr(0, 33000));
    ASSERT_EQ(status, 0);
    ASSERT_GT(records.size(), 32400u) << "the line must not fit the old pending record";
  }
  const std::vector<Page> pages = {
      {kFullColor, 11000, 6, colour},
      {kMono, 7300, 5, test::RandomRgb(7300, 5, random)},
      {kMono, 7300, 3, test::SolidRgb(7300, 3, 255, 255, 255)},
      {kAuto, 32767, 3, test::RandomRgb(32767, 3, random)},
      {kMono, 32767, 3, test::RandomRgb(32767, 3, random, 3)},
  };
  ExpectPagesRoundTrip(pages);
}

}  // namespace
}  // namespace velmora
