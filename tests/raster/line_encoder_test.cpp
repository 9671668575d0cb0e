// Line encoder: known records byte for byte (literal and repeat runs, the 128-pixel limits,
// RGB and gray pixels, the repeat byte), the output buffer's size and reuse, and random
// lines decoded back by the tests' own strict decoder within the longest-record bounds.
#include "raster/line_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/raster_decode.h"

namespace velmora {
namespace {

using namespace std::string_literals;

// One pixel of three equal bytes.
std::string P(int v) {
  return std::string(3, static_cast<char>(v));
}

// `n` colour pixels, each different from its neighbours: pixel i is P(i + 1) with the
// high byte in the last component, so up to 65535 pixels stay distinct.
std::string Distinct(int n, int from = 1) {
  std::string line;
  for (int i = from; i < from + n; ++i) {
    line += static_cast<char>(i & 0xFF);
    line += static_cast<char>(i & 0xFF);
    line += static_cast<char>((i >> 8) & 0xFF);
  }
  return line;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += s;
  return out;
}

// Encodes one line with a fresh encoder.
std::string Encode(const std::string& line, std::uint32_t bytesPerPixel,
                   std::uint32_t lineCount = 1) {
  LineEncoder encoder{};
  encoder.lineLength = static_cast<std::uint32_t>(line.size());
  encoder.bytesPerPixel = bytesPerPixel;
  encoder.lineCount = lineCount;
  const std::int32_t length =
      EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(line.data()));
  std::string record;
  if (length > 0)
    record.assign(reinterpret_cast<const char*>(encoder.buffer), static_cast<std::size_t>(length));
  ReleaseLineEncoder(&encoder);
  return record;
}

struct RecordCase {
  const char* name;
  std::string line;
  std::uint32_t bytesPerPixel;
  std::uint32_t lineCount;
  std::string record;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.name << ": line " << test::Hex(c.line, 48) << ", " << c.bytesPerPixel
      << " bytes per pixel, " << c.lineCount << " lines";
}

class EncodeLineRecordTest : public testing::TestWithParam<RecordCase> {};

TEST_P(EncodeLineRecordTest, WritesTheKnownRecord) {
  const RecordCase& c = GetParam();
  const std::string record = Encode(c.line, c.bytesPerPixel, c.lineCount);
  EXPECT_EQ(record, c.record) << "record   " << test::Hex(record, 512) << "\nexpected "
                              << test::Hex(c.record, 512);
}

INSTANTIATE_TEST_SUITE_P(
    Known, EncodeLineRecordTest,
    testing::Values(
        RecordCase{"OnePixel", P(1), 3, 1, "\x00\x00\x01\x01\x01"s},
        RecordCase{"TwoDifferentPixels", P(1) + P(2), 3, 1, "\x00\xFF\x01\x01\x01\x02\x02\x02"s},
        RecordCase{"TwoEqualPixels", P(1) + P(1), 3, 1, "\x00\x01\x01\x01\x01"s},
        RecordCase{"LiteralThenRepeat", P(1) + P(2) + P(3) + P(3), 3, 1,
                   "\x00\xFF\x01\x01\x01\x02\x02\x02\x01\x03\x03\x03"s},
        // A literal run of one pixel, ended by a pair, is written with control 0.
        RecordCase{"SingleBeforePair", P(1) + P(2) + P(2), 3, 1,
                   "\x00\x00\x01\x01\x01\x01\x02\x02\x02"s},
        RecordCase{"RepeatThenSingle", P(4) + P(4) + P(4) + P(5), 3, 1,
                   "\x00\x02\x04\x04\x04\x00\x05\x05\x05"s},
        // Pixels are equal only when all their bytes are.
        RecordCase{"PixelsDifferInLastByte", "\x05\x05\x05\x05\x05\x05\x05\x05\x06"s, 3, 1,
                   "\x00\x01\x05\x05\x05\x00\x05\x05\x06"s},
        RecordCase{"PixelsDifferInFirstByte", "\x05\x05\x05\x06\x05\x05"s, 3, 1,
                   "\x00\xFF\x05\x05\x05\x06\x05\x05"s},
        RecordCase{"BytesRepeatButPixelsDoNot", "\x01\x02\x01\x02\x01\x02"s, 3, 1,
                   "\x00\xFF\x01\x02\x01\x02\x01\x02"s},
        RecordCase{"Distinct127", Distinct(127), 3, 1, "\x00\x82"s + Distinct(127)},
        RecordCase{"Distinct128", Distinct(128), 3, 1, "\x00\x81"s + Distinct(128)},
        RecordCase{"Distinct129", Distinct(129), 3, 1,
                   "\x00\x81"s + Distinct(128) + "\x00"s + Distinct(1, 129)},
        RecordCase{"Distinct130", Distinct(130), 3, 1,
                   "\x00\x81"s + Distinct(128) + "\xFF"s + Distinct(2, 129)},
        RecordCase{"Distinct127ThenPair", Distinct(127) + P(200) + P(200), 3, 1,
                   "\x00\x82"s + Distinct(127) + "\x01"s + P(200)},
        RecordCase{"Distinct128ThenPair", Distinct(128) + P(200) + P(200), 3, 1,
                   "\x00\x81"s + Distinct(128) + "\x01"s + P(200)},
        RecordCase{"Equal128", Repeat(P(9), 128), 3, 1, "\x00\x7F"s + P(9)},
        RecordCase{"Equal129", Repeat(P(9), 129), 3, 1, "\x00\x7F"s + P(9) + "\x00"s + P(9)},
        RecordCase{"Equal130", Repeat(P(9), 130), 3, 1, "\x00\x7F"s + P(9) + "\x01"s + P(9)},
        RecordCase{"WhiteLine300", Repeat(P(255), 300), 3, 1,
                   "\x00\x7F\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x2B\xFF\xFF\xFF"s},
        RecordCase{"RepeatByteForFiveLines", P(1), 3, 5, "\x04\x00\x01\x01\x01"s},
        RecordCase{"RepeatByteFor256Lines", P(1) + P(1), 3, 256, "\xFF\x01\x01\x01\x01"s},
        // Gray pixels.
        RecordCase{"GrayOnePixel", "\x01"s, 1, 1, "\x00\x00\x01"s},
        RecordCase{"GrayTwoDifferent", "\x01\x02"s, 1, 1, "\x00\xFF\x01\x02"s},
        RecordCase{"GrayTwoEqual", "\x01\x01"s, 1, 1, "\x00\x01\x01"s},
        RecordCase{"GrayLiteralThenRepeat", "\x01\x02\x03\x03"s, 1, 1, "\x00\xFF\x01\x02\x01\x03"s},
        RecordCase{"GraySingleBeforePair", "\x01\x02\x02"s, 1, 1, "\x00\x00\x01\x01\x02"s},
        // A single pixel before each pair: longer than the line written literally.
        RecordCase{"GraySinglesBeforePairs", "\x01\x02\x02\x01\x02\x02"s, 1, 1,
                   "\x00\x00\x01\x01\x02\x00\x01\x01\x02"s},
        RecordCase{"GrayWhiteLine300", std::string(300, '\xFE'), 1, 1,
                   "\x00\x7F\xFE\x7F\xFE\x2B\xFE"s},
        RecordCase{"GrayEqual129", std::string(129, '\x07'), 1, 1, "\x00\x7F\x07\x00\x07"s},
        RecordCase{"GrayDistinct130",
                   [] {
                     std::string s;
                     for (int i = 0; i < 130; ++i)
                       s += static_cast<char>(i);
                     return s;
                   }(),
                   1, 1,
                   [] {
                     std::string s = "\x00\x81"s;
                     for (int i = 0; i < 128; ++i)
                       s += static_cast<char>(i);
                     return s + "\xFF\x80\x81"s;
                   }()},
        RecordCase{"GrayRepeatByteForFiveLines", "\x10\x10\x10"s, 1, 5, "\x04\x02\x10"s}),
    [](const testing::TestParamInfo<RecordCase>& param) { return std::string(param.param.name); });

TEST(EncodeLineBufferSize, TwiceTheLineButAtLeast64KiB) {
  EXPECT_EQ(EncodeLineBufferSize(0), 65536u);
  EXPECT_EQ(EncodeLineBufferSize(3), 65536u);
  EXPECT_EQ(EncodeLineBufferSize(32768), 65536u);
  EXPECT_EQ(EncodeLineBufferSize(32769), 65538u);
  EXPECT_EQ(EncodeLineBufferSize(98301), 196602u);
  EXPECT_EQ(EncodeLineBufferSize(UINT32_MAX), UINT32_MAX);
}

TEST(EncodeLine, AllocatesItsBufferOnceAndReusesIt) {
  LineEncoder encoder{};
  encoder.lineCount = 1;
  encoder.bytesPerPixel = 3;
  const std::string small = Distinct(10);
  encoder.lineLength = static_cast<std::uint32_t>(small.size());
  ASSERT_EQ(EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(small.data())), 1 + 1 + 30);
  ASSERT_NE(encoder.buffer, nullptr);
  EXPECT_EQ(encoder.bufferSize, 65536u);
  const std::uint8_t* const first = encoder.buffer;
  for (int i = 0; i < 100; ++i) {
    ASSERT_GT(EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(small.data())), 0);
    EXPECT_EQ(encoder.buffer, first);
    EXPECT_EQ(encoder.bufferSize, 65536u);
  }
  // A longer line grows the buffer to twice its length; a shorter one leaves it so.
  const std::string wide = Distinct(20000);
  encoder.lineLength = static_cast<std::uint32_t>(wide.size());
  const std::int32_t length =
      EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(wide.data()));
  EXPECT_EQ(length, 1 + 60000 + 157);
  EXPECT_EQ(encoder.bufferSize, 120000u);
  const std::uint8_t* const grown = encoder.buffer;
  encoder.lineLength = static_cast<std::uint32_t>(small.size());
  EXPECT_EQ(EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(small.data())), 32);
  EXPECT_EQ(encoder.buffer, grown);
  EXPECT_EQ(encoder.bufferSize, 120000u);
  ReleaseLineEncoder(&encoder);
  EXPECT_EQ(encoder.buffer, nullptr);
  EXPECT_EQ(encoder.bufferSize, 0u);
}

// The longest record of n pixels of b bytes. For RGB pixels it is a line of literal runs only,
// 1 + 3n + ceil(n / 128). For gray pixels a repeat run of two costs no more than the pair
// written literally, but a single pixel before it costs a control byte of its own, so
// "x y y x y y ..." exceeds the literal line: 1 + n + ceil(n / 3).
std::size_t LongestRecord(std::uint32_t n, std::uint32_t bpp) {
  return bpp == 1 ? 1 + n + (n + 2) / 3 : 1 + bpp * n + (n + 127) / 128;
}

TEST(EncodeLine, LongestRecordsOfTheWidestLines) {
  const std::uint32_t n = 32767;
  struct Worst {
    std::uint32_t bpp;
    int period;  // pixel i is 0x20 when i % period == 0, 0x10 otherwise
  };
  for (const Worst w : {Worst{3, 2}, Worst{1, 3}}) {
    SCOPED_TRACE(std::to_string(w.bpp) + " bytes per pixel");
    std::string line;
    for (std::uint32_t i = 0; i < n; ++i) {
      line.append(w.bpp,
                  static_cast<char>(i % static_cast<std::uint32_t>(w.period) == 0 ? 0x20 : 0x10));
    }
    const std::string record = Encode(line, w.bpp);
    EXPECT_EQ(record.size(), LongestRecord(n, w.bpp));
    EXPECT_LE(record.size(), EncodeLineBufferSize(n * w.bpp));
    std::string pixels;
    std::size_t consumed = 0;
    std::string error;
    ASSERT_TRUE(test::DecodeLineRecords(record, n, w.bpp, 1, &pixels, &consumed, &error)) << error;
    EXPECT_EQ(consumed, record.size());
    EXPECT_TRUE(pixels == line);
  }
}

// A random line whose pixels come in runs, from a small palette or from few byte values.
std::string RandomLine(std::mt19937& random, std::uint32_t width, std::uint32_t bpp) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> mode(0, 3);
  std::string line;
  line.reserve(width * bpp);
  switch (mode(random)) {
    case 0: {  // each byte from two or three values: pixels that share some of their bytes
      const int values[] = {0x00, 0xFF, byte(random)};
      std::uniform_int_distribution<int> pick(0, 1 + (byte(random) & 1));
      for (std::uint32_t i = 0; i < width * bpp; ++i)
        line += static_cast<char>(values[pick(random)]);
      break;
    }
    case 1: {  // each pixel from a palette of one to four pixels
      std::vector<std::string> palette(static_cast<std::size_t>(1 + byte(random) % 4));
      for (auto& p : palette) {
        for (std::uint32_t k = 0; k < bpp; ++k)
          p += static_cast<char>(byte(random));
      }
      std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
      for (std::uint32_t i = 0; i < width; ++i)
        line += palette[pick(random)];
      break;
    }
    case 2: {  // runs of random lengths, up to longer than one repeat run
      std::uniform_int_distribution<std::uint32_t> runLength(1, byte(random) < 128 ? 4 : 300);
      while (line.size() < width * bpp) {
        std::string pixel;
        for (std::uint32_t k = 0; k < bpp; ++k)
          pixel += static_cast<char>(byte(random) & 0x03);
        const std::uint32_t run = runLength(random);
        for (std::uint32_t i = 0; i < run && line.size() < width * bpp; ++i)
          line += pixel;
      }
      break;
    }
    default:  // noise
      for (std::uint32_t i = 0; i < width * bpp; ++i)
        line += static_cast<char>(byte(random));
      break;
  }
  return line;
}

TEST(EncodeLine, RandomLinesDecodeBackWithinTheBound) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::uint32_t> widths(1, 600);
  std::uniform_int_distribution<std::uint32_t> lineCounts(1, 3);
  int failures = 0;
  for (const std::uint32_t bpp : {3u, 1u}) {
    // One encoder for all lines, as SendRaster keeps one per page.
    LineEncoder encoder{};
    encoder.bytesPerPixel = bpp;
    for (int round = 0; round < 6000 && failures < 5; ++round) {
      const std::uint32_t width =
          round < 8 ? static_cast<std::uint32_t>(round + 1) : widths(random);
      const std::string line = RandomLine(random, width, bpp);
      encoder.lineLength = width * bpp;
      encoder.lineCount = lineCounts(random);
      const std::int32_t length =
          EncodeLine(&encoder, reinterpret_cast<const std::uint8_t*>(line.data()));
      ASSERT_GT(length, 0);
      const std::string record(reinterpret_cast<const char*>(encoder.buffer),
                               static_cast<std::size_t>(length));
      std::string pixels;
      std::size_t consumed = 0;
      std::string error;
      const bool decoded = test::DecodeLineRecords(record, width, bpp, encoder.lineCount, &pixels,
                                                   &consumed, &error);
      const std::size_t bound = LongestRecord(width, bpp);
      if (!decoded || consumed != record.size() ||
          pixels != Repeat(line, static_cast<int>(encoder.lineCount)) || record.size() > bound ||
          static_cast<std::uint32_t>(static_cast<unsigned char>(record[0])) !=
              encoder.lineCount - 1) {
        ++failures;
        ADD_FAILURE() << bpp << " bytes per pixel, width " << width << ", " << encoder.lineCount
                      << " lines: " << (decoded ? "" : error) << "\nrecord of " << record.size()
                      << " bytes (bound " << bound << ", consumed " << consumed
                      << "): " << test::Hex(record, 4000) << "\nline: " << test::Hex(line, 4000);
      }
    }
    ReleaseLineEncoder(&encoder);
  }
}

}  // namespace
}  // namespace velmora
