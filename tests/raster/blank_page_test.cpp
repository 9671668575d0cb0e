// Blank page test: TestBlankPage with KXSkipBlank OFF and ON, the blank flag bit (and only
// that bit), a single non-white byte at every position of rasters around the word and block
// sizes of the scan, rasters under 4 bytes; IsAllWhite on a table of sizes and positions.
#include "raster/blank_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "job/page_buffer.h"
#include "job/page_state.h"
#include "settings/job_settings.h"
#include "src_header/kxfiletool.h"

namespace velmora {
namespace {

class TestBlankPageTest : public testing::Test {
 protected:
  void SetUp() override { gRcInfo = kDefaultRcInfo; }
  void TearDown() override {
    FreePageBuffer();
    gRcInfo = kDefaultRcInfo;
  }

  static void SkipBlank(const char* value) {
    ASSERT_EQ(SetListParam(RowNumber(Row::kSkipBlank), value, &gRcInfo), 0) << value;
  }

  // A white page buffer of `lines` x `bytesPerLine` bytes, described by `settings_`.
  void WhitePage(std::int32_t bytesPerLine, std::int16_t lines) {
    settings_ = JobSettings{};
    settings_.pixelHeight = lines;
    settings_.bytesPerLine = bytesPerLine;
    ASSERT_EQ(AllocPageBuffer(bytesPerLine, lines), 0);
    std::memset(pageBuffer, 0xFF, static_cast<std::size_t>(pageBufferSize));
  }

  JobSettings settings_{};
  PageState state_{};
};

TEST_F(TestBlankPageTest, OffNeverSkipsButClearsTheFlag) {
  WhitePage(24, 4);
  state_.flags = 0xFFFF;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, 0xFFFE);
}

TEST_F(TestBlankPageTest, OnSkipsAWhitePageAndSetsOnlyBitOne) {
  SkipBlank("ON");
  WhitePage(24, 4);
  state_.flags = 0x8004;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 1);
  EXPECT_EQ(state_.flags, 0x8005);
  // Asking again on the same raster gives the same answer.
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 1);
  EXPECT_EQ(state_.flags, 0x8005);
}

TEST_F(TestBlankPageTest, OnClearsOnlyBitOneForAPageWithInk) {
  SkipBlank("ON");
  WhitePage(24, 4);
  pageBuffer[50] = 0x00;
  state_.flags = 0xFFFF;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, 0xFFFE);
}

TEST_F(TestBlankPageTest, OneNonWhiteByteAnywhereMakesThePageNonBlank) {
  SkipBlank("ON");
  // Sizes around 4- and 8-byte words and the 512-byte blocks of the scan; 4099 is prime.
  const std::int32_t sizes[] = {4,   5,    6,    7,    8,    9,    10,   11,   12,  15,
                                16,  17,   63,   64,   65,   511,  512,  513,  516, 519,
                                520, 1023, 1024, 1025, 1031, 4095, 4096, 4097, 4099};
  for (const std::int32_t size : sizes) {
    SCOPED_TRACE("raster of " + std::to_string(size) + " bytes");
    WhitePage(size, 1);
    ASSERT_EQ(TestBlankPage(&settings_, &state_), 1);
    for (std::int32_t position = 0; position < size; ++position) {
      pageBuffer[position] = 0xFE;
      state_.flags = 1;
      const int result = TestBlankPage(&settings_, &state_);
      pageBuffer[position] = 0xFF;
      if (result != 0 || state_.flags != 0) {
        ADD_FAILURE() << "0xFE at byte " << position << " gave " << result << ", flags "
                      << state_.flags;
        break;
      }
    }
  }
}

TEST_F(TestBlankPageTest, TheRasterIsPixelHeightTimesBytesPerLine) {
  SkipBlank("ON");
  // Three lines of 1366 bytes: the byte that decides is on the last line.
  WhitePage(1366, 3);
  pageBuffer[3 * 1366 - 1] = 0xFE;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 0);
  // Bytes of the buffer past pixelHeight lines are not looked at.
  settings_.pixelHeight = 2;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 1);
}

TEST_F(TestBlankPageTest, RastersUnderFourBytesAreNeverBlank) {
  SkipBlank("ON");
  const std::int32_t sizes[] = {1, 2, 3};
  for (const std::int32_t size : sizes) {
    SCOPED_TRACE("raster of " + std::to_string(size) + " bytes");
    WhitePage(size, 1);
    state_.flags = 1;
    EXPECT_EQ(TestBlankPage(&settings_, &state_), 0);
    EXPECT_EQ(state_.flags, 0);
  }
  // No lines at all.
  FreePageBuffer();
  settings_.pixelHeight = 0;
  settings_.bytesPerLine = 24;
  state_.flags = 1;
  EXPECT_EQ(TestBlankPage(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, 0);
}

struct WhiteCase {
  std::size_t size;
  std::ptrdiff_t position;  // of the one non-white byte; -1 for none
  std::uint8_t value;
  std::size_t misalign;  // bytes between an aligned address and the raster's start
};

void PrintTo(const WhiteCase& c, std::ostream* os) {
  *os << "size " << c.size << ", byte " << c.position << " = " << static_cast<int>(c.value)
      << ", start offset " << c.misalign;
}

class IsAllWhiteTest : public testing::TestWithParam<WhiteCase> {};

TEST_P(IsAllWhiteTest, FindsTheNonWhiteByte) {
  const WhiteCase& c = GetParam();
  std::vector<std::uint8_t> memory(c.size + 16, 0xFF);
  // The bytes around the raster are not white, so a scan past either end shows.
  for (std::size_t i = 0; i < c.misalign; ++i)
    memory[i] = 0;
  for (std::size_t i = c.misalign + c.size; i < memory.size(); ++i)
    memory[i] = 0;
  std::uint8_t* raster = memory.data() + c.misalign;
  if (c.position >= 0) raster[c.position] = c.value;
  EXPECT_EQ(IsAllWhite(raster, c.size), c.position < 0);
}

INSTANTIATE_TEST_SUITE_P(
    SizesAndPositions, IsAllWhiteTest,
    testing::Values(WhiteCase{0, -1, 0, 0}, WhiteCase{1, -1, 0, 0}, WhiteCase{1, 0, 0xFE, 0},
                    WhiteCase{3, 2, 0x7F, 1}, WhiteCase{7, -1, 0, 3}, WhiteCase{7, 6, 0xFE, 0},
                    WhiteCase{8, 0, 0xFE, 0}, WhiteCase{8, 7, 0xEF, 5}, WhiteCase{9, 8, 0xFE, 0},
                    WhiteCase{511, -1, 0, 1}, WhiteCase{511, 510, 0xFE, 0},
                    WhiteCase{512, -1, 0, 0}, WhiteCase{512, 0, 0xFE, 7},
                    WhiteCase{512, 511, 0x00, 0}, WhiteCase{513, 512, 0xFE, 0},
                    WhiteCase{513, 511, 0xFE, 2}, WhiteCase{1024, 512, 0xFE, 0},
                    WhiteCase{1024, 1023, 0xFB, 3}, WhiteCase{1031, 1030, 0xFE, 0},
                    WhiteCase{1031, 1024, 0xFE, 0}, WhiteCase{4095, -1, 0, 0},
                    WhiteCase{4095, 4094, 0xFE, 0}, WhiteCase{4099, -1, 0, 6},
                    WhiteCase{4099, 4096, 0xFE, 1}, WhiteCase{4099, 4098, 0xFE, 0},
                    WhiteCase{4099, 2048, 0x80, 0}, WhiteCase{100003, 99999, 0xFE, 0},
                    WhiteCase{100003, 100002, 0xFE, 4}, WhiteCase{100003, -1, 0, 4}));

}  // namespace
}  // namespace velmora
