// ReadPpmHeader: the result code for well-formed and malformed headers, and the exact stream
// position it leaves behind (the first raster byte, or just after the offending character),
// for single headers and for pages following each other on one stream.
#include "raster/ppm_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/raster_decode.h"

namespace velmora {
namespace {

using namespace std::string_literals;

// A stream holding `bytes`, positioned at its start.
std::FILE* StreamOf(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  if (!bytes.empty() && std::fwrite(bytes.data(), bytes.size(), 1, file) != 1) {
    std::fclose(file);
    return nullptr;
  }
  std::rewind(file);
  return file;
}

struct HeaderCase {
  const char* name;
  std::string input;
  int result;
  long position;  // bytes consumed by the call
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << c.name << " [" << test::Hex(c.input, 96) << "]";
}

const std::string kHeader = "P6\n8 4\n255\n";  // 11 bytes
const std::string k70(70, 'a');
const std::string k71(71, 'b');

class ReadPpmHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(ReadPpmHeaderTest, ReturnsItsCodeAndStopsAtTheRightByte) {
  const HeaderCase& c = GetParam();
  std::FILE* input = StreamOf(c.input);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(ReadPpmHeader(input), c.result);
  EXPECT_EQ(std::ftell(input), c.position);
  const int next = std::getc(input);
  const int expectedNext =
      c.position < static_cast<long>(c.input.size())
          ? static_cast<unsigned char>(c.input[static_cast<std::size_t>(c.position)])
          : EOF;
  EXPECT_EQ(next, expectedNext) << "the byte after the consumed part";
  std::fclose(input);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ReadPpmHeaderTest,
    testing::Values(
        // Well formed: the stream stops at the first raster byte, whatever its value.
        HeaderCase{"LineFeedsThenRasterByte", kHeader + "\x01\x02", 0, 11},
        HeaderCase{"RasterStartsWithLineFeed", kHeader + "\n\n", 0, 11},
        HeaderCase{"RasterStartsWithBlank", kHeader + "  ", 0, 11},
        HeaderCase{"RasterStartsWithCarriageReturn", kHeader + "\r", 0, 11},
        HeaderCase{"RasterStartsWithHash", kHeader + "#\n", 0, 11},
        HeaderCase{"BlanksOnly", "P6 8 4 255 \xff"s, 0, 11},
        HeaderCase{"EverySeparatorKind", "P6\t8\v4\f255\r\n"s, 0, 11},
        HeaderCase{"NoRasterAfterHeader", kHeader, 0, 11},
        // Comments: "#" where a token could begin, closed by CR or LF, which belongs to it.
        HeaderCase{"CommentAfterMagicBlank", "P6 # made here\n8 4\n255\nX", 0, 23},
        HeaderCase{"CommentBeforeMagic", "# page 1\nP6\n8 4\n255\nX", 0, 20},
        HeaderCase{"TwoCommentLines", "P6\n# a\n# b\n8 4\n255\nX", 0, 19},
        HeaderCase{"CommentClosedByCarriageReturn", "P6\n#c\r8 4\n255\nX", 0, 14},
        HeaderCase{"CommentBeforeMaxValue", "P6\n8 4\n#\n255\nX", 0, 13},
        HeaderCase{"CommentLongerThanAToken", "P6\n#" + std::string(200, 'c') + "\n8 4\n255\nX", 0,
                   213},
        HeaderCase{"HashInsideTokenIsTokenCharacter", "P6\n8#9 4#\n2#5\nX", 0, 14},
        // Fields are not interpreted.
        HeaderCase{"LettersForNumbers", "P6\nwide tall\nmax\nX", 0, 17},
        HeaderCase{"Tokens70Characters", "P6\n" + k70 + " " + k70 + "\n" + k70 + "\nX", 0, 216},
        // Exactly one white-space character between tokens.
        HeaderCase{"CarriageReturnLineFeed", "P6\r\n8 4\r\n255\r\n", -1, 4},
        HeaderCase{"CommentClosedByCrLf", "P6\n#c\r\n8 4\n255\n", -1, 7},
        HeaderCase{"EmptyLineBetweenTokens", "P6\n8 4\n\n255\n", -1, 8},
        HeaderCase{"BlankBeforeMagic", " P6\n8 4\n255\n", -1, 1},
        HeaderCase{"LineFeedBeforeMagic", "\nP6\n8 4\n255\n", -1, 1},
        HeaderCase{"TwoBlanks", "P6 8  4\n255\n", -1, 6},
        HeaderCase{"CommentThenBlank", "#x\n P6\n8 4\n255\n", -1, 4},
        // The magic is exactly "P6".
        HeaderCase{"MagicWithSuffix", "P6x\n8 4\n255\n", -1, 4},
        HeaderCase{"MagicP3", "P3\n8 4\n255\n", -1, 3},
        HeaderCase{"MagicLowerCase", "p6\n8 4\n255\n", -1, 3},
        HeaderCase{"MagicFollowedByNul", "P6\0\n8 4\n255\n"s, -1, 4},
        HeaderCase{"MagicWithNulInside",
                   "P\0"s
                   "6\n8 4\n255\n",
                   -1, 4},
        HeaderCase{"MagicWithHash", "P6#\n8 4\n255\n", -1, 4},
        HeaderCase{"MagicOnlyP", "P\n8 4\n255\n", -1, 2},
        // End of input.
        HeaderCase{"EmptyInput", "", 1, 0}, HeaderCase{"EndInsideMagic", "P", -1, 1},
        HeaderCase{"EndAfterMagic", "P6\n", -1, 3}, HeaderCase{"EndInsideWidth", "P6\n8", -1, 4},
        HeaderCase{"EndBetweenHeightAndMaxValue", "P6\n8 4\n", -1, 7},
        HeaderCase{"EndInsideComment", "P6\n# no end", -1, 11},
        HeaderCase{"EndAfterComment", "# only\n", -1, 7},
        HeaderCase{"EndRightAfterMaxValue", "P6\n8 4\n255", -1, 10},
        // Token length: 70 characters fit, the 71st is refused as soon as it is read.
        HeaderCase{"Width71Characters", "P6\n" + k71 + "x 4\n255\n", -1, 74},
        HeaderCase{"MaxValue71Characters", "P6\n8 4\n" + k71 + "\n", -1, 78},
        HeaderCase{"Magic71Characters", "P6" + std::string(69, '6') + "\n8 4\n255\n", -1, 71}),
    [](const testing::TestParamInfo<HeaderCase>& param) { return std::string(param.param.name); });

// Several calls on one stream: each leaves it at the next page's first byte.
TEST(ReadPpmHeader, PagesFollowEachOtherOnOneStream) {
  const std::string raster = "\n \xff\x00\x01\t"s;  // 2 x 1 pixels that look like white space
  struct Step {
    int result;
    long position;
  };
  struct Sequence {
    const char* name;
    std::string input;
    std::vector<Step> steps;  // after each header the raster is read
  };
  const std::string page = "P6\n2 1\n255\n" + raster;  // 17 bytes
  const Sequence sequences[] = {
      {"TwoPages", page + page, {{0, 11}, {0, 28}, {1, 34}}},
      {"CommentBeforeSecondPage", page + "#p2\n" + page, {{0, 11}, {0, 32}, {1, 38}}},
      {"LineFeedAfterRaster", page + "\n" + page, {{0, 11}, {-1, 18}}},
      {"BlankAfterLastRaster", page + " ", {{0, 11}, {-1, 18}}},
  };
  for (const Sequence& s : sequences) {
    SCOPED_TRACE(s.name);
    std::FILE* input = StreamOf(s.input);
    ASSERT_NE(input, nullptr);
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
      SCOPED_TRACE("call " + std::to_string(i + 1));
      EXPECT_EQ(ReadPpmHeader(input), s.steps[i].result);
      EXPECT_EQ(std::ftell(input), s.steps[i].position);
      if (s.steps[i].result != 0) break;
      char bytes[6];
      ASSERT_EQ(std::fread(bytes, 1, sizeof bytes, input), sizeof bytes);
      EXPECT_EQ(std::string(bytes, sizeof bytes), raster);
    }
    std::fclose(input);
  }
}

}  // namespace
}  // namespace velmora
