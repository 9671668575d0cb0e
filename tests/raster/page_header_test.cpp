// Raster page header: BuildPageHeader for colour (Auto, FullColor) and mono settings, every
// one of the 1796 bytes against a header built here from the field table (big-endian, sizes
// widened with their sign, other job settings without effect); StartPageHeader writing it to
// the spool file, or nothing for a page skipped as blank.
#include "raster/page_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "job/page_buffer.h"
#include "job/page_state.h"
#include "settings/job_settings.h"
#include "src_header/kxfiletool.h"
#include "stream/spool_files.h"

namespace velmora {
namespace {

constexpr std::size_t kSize = 1796;

void Put32(std::string& header, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    header[offset + static_cast<std::size_t>(i)] =
        static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
  }
}

// The header the printer expects for `s`, from the list of fields the filter sets.
std::string ExpectedHeader(const JobSettings& s) {
  const bool mono = s.colorMode == 0;
  std::string header(kSize, '\0');
  std::memcpy(header.data() + 0, "PwgRaster", 9);
  std::memcpy(header.data() + 128, "auto", 4);
  Put32(header, 276, 600);
  Put32(header, 280, 600);
  Put32(header, 352, static_cast<std::uint32_t>(static_cast<std::int32_t>(s.paperWidth)));
  Put32(header, 356, static_cast<std::uint32_t>(static_cast<std::int32_t>(s.paperHeight)));
  Put32(header, 372, static_cast<std::uint32_t>(static_cast<std::int32_t>(s.pixelWidth)));
  Put32(header, 376, static_cast<std::uint32_t>(static_cast<std::int32_t>(s.pixelHeight)));
  Put32(header, 384, 8);
  Put32(header, 388, mono ? 8 : 24);
  Put32(
      header, 392,
      static_cast<std::uint32_t>(mono ? static_cast<std::int32_t>(s.pixelWidth) : s.bytesPerLine));
  Put32(header, 400, mono ? 18 : 19);
  Put32(header, 420, mono ? 1 : 3);
  return header;
}

// "" when equal, otherwise the differing offsets with both values.
std::string Differences(const std::string& actual, const std::string& expected) {
  if (actual.size() != expected.size()) {
    return "size " + std::to_string(actual.size()) + " instead of " +
           std::to_string(expected.size());
  }
  std::string text;
  int shown = 0;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] == expected[i]) continue;
    if (++shown > 24) {
      text += " ...";
      break;
    }
    text += " @" + std::to_string(i) + ": " +
            std::to_string(static_cast<unsigned char>(actual[i])) + " not " +
            std::to_string(static_cast<unsigned char>(expected[i]));
  }
  return text;
}

std::string AsString(const PageHeader& header) {
  return std::string(reinterpret_cast<const char*>(header.data()), header.size());
}

JobSettings Settings(std::int16_t colorMode, std::int16_t paperWidth, std::int16_t paperHeight,
                     std::int16_t pixelWidth, std::int16_t pixelHeight) {
  JobSettings s{};
  s.colorMode = colorMode;
  s.paperWidth = paperWidth;
  s.paperHeight = paperHeight;
  s.pixelWidth = pixelWidth;
  s.pixelHeight = pixelHeight;
  s.bytesPerLine = 3 * static_cast<std::int32_t>(pixelWidth);
  return s;
}

struct HeaderCase {
  const char* name;
  JobSettings settings;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
  const JobSettings& s = c.settings;
  *os << c.name << ": colorMode " << s.colorMode << ", paper " << s.paperWidth << " x "
      << s.paperHeight << ", pixels " << s.pixelWidth << " x " << s.pixelHeight << ", bytesPerLine "
      << s.bytesPerLine;
}

// Every other job setting set to something that must not reach the header.
JobSettings WithOtherSettings(JobSettings s) {
  s.mediaType = 7;
  s.resolution = 2;  // "Fine"
  s.paperSize = 9;
  s.inputSlot = 3;
  s.copies = 5;
  s.collate = 1;
  s.colorMatching = 3;
  s.enhanceBlackPrint = 1;
  s.improveOutput = 2;
  s.brightness = -10;
  s.contrast = 10;
  s.redKey = 1;
  s.greenKey = -1;
  s.blueKey = 2;
  s.duplex = 1;
  s.tonerSave = 1;
  s.gray = 1;
  return s;
}

class BuildPageHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(BuildPageHeaderTest, EveryByteMatchesTheFieldTable) {
  const JobSettings& s = GetParam().settings;
  const std::string expected = ExpectedHeader(s);
  EXPECT_EQ(Differences(AsString(BuildPageHeader(s)), expected), "");
  // Nothing in the header counts pages or keeps state between calls.
  EXPECT_EQ(Differences(AsString(BuildPageHeader(s)), expected), "") << "second page";
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, BuildPageHeaderTest,
    testing::Values(HeaderCase{"AutoA4", Settings(2, 595, 842, 4760, 6818)},
                    HeaderCase{"FullColorA4", Settings(1, 595, 842, 4760, 6818)},
                    HeaderCase{"MonoA4", Settings(0, 595, 842, 4760, 6818)},
                    // Every byte of the 32-bit values differs, so a swapped byte order shows.
                    HeaderCase{"FullColorWidest", Settings(1, 0x1234, 0x5678, 32767, 0x4321)},
                    HeaderCase{"MonoWidest", Settings(0, 0x1234, 0x5678, 32767, 0x4321)},
                    HeaderCase{"ColorOtherSettingsIgnored",
                               WithOtherSettings(Settings(2, 612, 792, 5100, 6600))},
                    HeaderCase{"MonoOtherSettingsIgnored",
                               WithOtherSettings(Settings(0, 612, 792, 5100, 6600))},
                    HeaderCase{"ColorResolutionNormal",
                               [] {
                                 JobSettings s = Settings(1, 595, 842, 4760, 6818);
                                 s.resolution = 1;
                                 return s;
                               }()},
                    // Negative 16-bit sizes are widened with their sign.
                    HeaderCase{"ColorNegativeSizes", Settings(1, -1, -595, -2, -32768)},
                    HeaderCase{"MonoNegativeSizes", Settings(0, -32768, -1, -100, -7)},
                    HeaderCase{"ZeroSizes", Settings(2, 0, 0, 0, 0)}),
    [](const testing::TestParamInfo<HeaderCase>& param) { return std::string(param.param.name); });

// A few fields spelled out as bytes, so that the field table above is checked once by hand.
TEST(BuildPageHeader, KnownBytes) {
  const PageHeader colour = BuildPageHeader(Settings(2, 595, 842, 4760, 6818));
  const std::string c = AsString(colour);
  EXPECT_EQ(c.substr(0, 10), std::string("PwgRaster\0", 10));
  EXPECT_EQ(c.substr(128, 5), std::string("auto\0", 5));
  EXPECT_EQ(c.substr(276, 8), std::string("\x00\x00\x02\x58\x00\x00\x02\x58", 8));
  EXPECT_EQ(c.substr(384, 12), std::string("\x00\x00\x00\x08\x00\x00\x00\x18\x00\x00\x37\xC8", 12));
  EXPECT_EQ(c.substr(400, 4), std::string("\x00\x00\x00\x13", 4));
  EXPECT_EQ(c.substr(420, 4), std::string("\x00\x00\x00\x03", 4));
  const std::string m = AsString(BuildPageHeader(Settings(0, -2, 842, 4760, 6818)));
  EXPECT_EQ(m.substr(352, 4), std::string("\xFF\xFF\xFF\xFE", 4));
  EXPECT_EQ(m.substr(388, 8), std::string("\x00\x00\x00\x08\x00\x00\x12\x98", 8));
  EXPECT_EQ(m.substr(400, 4), std::string("\x00\x00\x00\x12", 4));
  EXPECT_EQ(m.substr(420, 4), std::string("\x00\x00\x00\x01", 4));
}

// StartPageHeader writes into currentSpoolFile; the page buffer decides whether the page
// is skipped.
class StartPageHeaderTest : public testing::Test {
 protected:
  void SetUp() override {
    gRcInfo = kDefaultRcInfo;
    settings_ = Settings(1, 595, 842, 8, 4);
    ASSERT_EQ(AllocPageBuffer(settings_.bytesPerLine, settings_.pixelHeight), 0);
    std::memset(pageBuffer, 0xFF, static_cast<std::size_t>(pageBufferSize));
    currentSpoolFile = std::tmpfile();
    ASSERT_NE(currentSpoolFile, nullptr);
  }
  void TearDown() override {
    CloseCurrentSpoolFile();
    FreePageBuffer();
    gRcInfo = kDefaultRcInfo;
  }

  static void SkipBlankOn() {
    ASSERT_EQ(SetListParam(RowNumber(Row::kSkipBlank), "ON", &gRcInfo), 0);
  }

  // Everything written to the spool file so far.
  static std::string Spooled() {
    std::fflush(currentSpoolFile);
    std::rewind(currentSpoolFile);
    std::string bytes;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, currentSpoolFile)) > 0) {
      bytes.append(buffer, count);
    }
    std::fseek(currentSpoolFile, 0, SEEK_END);
    return bytes;
  }

  JobSettings settings_{};
  PageState state_{};
};

TEST_F(StartPageHeaderTest, WritesOneHeaderPerPage) {
  const std::string expected = ExpectedHeader(settings_);
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(Differences(Spooled(), expected), "");
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(Differences(Spooled(), expected + expected), "") << "two pages";
}

TEST_F(StartPageHeaderTest, AppendsAfterWhatTheSpoolFileHolds) {
  ASSERT_EQ(std::fwrite("RaS2", 4, 1, currentSpoolFile), 1u);
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(Differences(Spooled(), "RaS2" + ExpectedHeader(settings_)), "");
}

TEST_F(StartPageHeaderTest, SkipBlankOffWritesTheHeaderOfAWhitePage) {
  state_.flags = kBlankPageFlag;
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, 0);
  EXPECT_EQ(Spooled().size(), kSize);
}

TEST_F(StartPageHeaderTest, SkipBlankOnWritesNothingForAWhitePage) {
  SkipBlankOn();
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, kBlankPageFlag);
  EXPECT_EQ(Spooled(), "");
}

TEST_F(StartPageHeaderTest, SkipBlankOnWritesTheHeaderOfAPageWithInk) {
  SkipBlankOn();
  pageBuffer[pageBufferSize - 1] = 0xFE;
  state_.flags = kBlankPageFlag;
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
  EXPECT_EQ(state_.flags, 0);
  EXPECT_EQ(Differences(Spooled(), ExpectedHeader(settings_)), "");
}

TEST_F(StartPageHeaderTest, WithoutASpoolFileWritesNothingAndSucceeds) {
  CloseCurrentSpoolFile();
  EXPECT_EQ(StartPageHeader(&settings_, &state_), 0);
}

}  // namespace
}  // namespace velmora
