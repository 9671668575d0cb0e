// PJL job header and trailer: every row of the paper, media and tray tables and every other
// settings line, the job attributes from the environment (hold password, owner, title, output
// tray) with the neutralising of control bytes and quotes in them, and WriteOutput.
#include "stream/pjl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/job_settings.h"
#include "stream/output.h"
#include "tests/support/printer_job.h"

namespace velmora {
namespace {

const std::string kUel = "\x1b%-12345X";

// The header of a job with the rc file's defaults and no environment.
const std::string& kDefaultHeader = test::kDefaultPjlHeader;

const std::string kDefaultTrailer = kUel + kUel + "\n";

const char* const kAttributes[] = {"PASSWORD", "OWNER", "TITLE", "OUTPUTTRAY"};

// The settings that an rc file holding only its header gives.
JobSettings DefaultSettings() {
  JobSettings settings = {};
  settings.resolution = 2;
  settings.paperSize = 9;
  settings.copies = 1;
  settings.colorMode = 2;
  settings.colorMatching = 3;
  return settings;
}

// `text` with its one occurrence of `from` replaced by `to` (empty when `from` is missing).
std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos || text.find(from, at + 1) != std::string::npos) return "";
  return text.substr(0, at) + to + text.substr(at + from.size());
}

// Collects what the header and trailer writers put on the printer stream.
class PjlTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kAttributes)
      ::unsetenv(name);
    stream_ = ::open_memstream(&data_, &size_);
    ASSERT_NE(stream_, nullptr);
    SetOutputStream(stream_);
  }
  void TearDown() override {
    SetOutputStream(nullptr);
    std::fclose(stream_);
    std::free(data_);
    for (const char* name : kAttributes)
      ::unsetenv(name);
  }

  // What was written since the last call.
  std::string Take() {
    std::fflush(stream_);
    std::string text(data_ + taken_, size_ - taken_);
    taken_ = size_;
    return text;
  }

  std::string Header(const JobSettings& settings) {
    WritePjlHeader(settings);
    return Take();
  }
  std::string Trailer() {
    WritePjlTrailer();
    return Take();
  }

 private:
  std::FILE* stream_ = nullptr;
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t taken_ = 0;
};

TEST_F(PjlTest, NoEnvironmentGivesThePlainHeaderAndTheNineteenByteTrailer) {
  EXPECT_EQ(Header(DefaultSettings()), kDefaultHeader);
  const std::string trailer = Trailer();
  EXPECT_EQ(trailer, kDefaultTrailer);
  EXPECT_EQ(trailer.size(), 19u);
}

// --- Settings lines ----------------------------------------------------------------------

using Field = std::int16_t JobSettings::*;

struct SettingsCase {
  std::string label;
  std::vector<std::pair<Field, int>> fields;  // changes to the default settings
  std::string from;                           // the part of the default header that changes
  std::string to;
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
  *os << c.label;
}

std::vector<SettingsCase> PaperCases() {
  const std::vector<std::pair<int, std::string>> papers = {
      {9, "A4"},
      {1, "LETTER"},
      {5, "LEGAL"},
      {7, "EXECUTIVE"},
      {11, "A5"},
      {61, "A5L"},
      {70, "A6"},
      {13, "B5"},
      {34, "JISB5"},
      {69, "JISB6"},
      {27, "DL"},
      {28, "C5"},
      {20, "COM10"},
      {37, "MONARCH"},
      {261, "P3X5"},
      {14, "FOLIO"},
      {43, "POSTCARD"},
      {91, "ENVYOU4"},
      {73, "JENVCHOU3"},
      {74, "A4SHORT"},
      {77, "SIXTEENK195X270"},
      {76, "SIXTEENK184X260"},
      {75, "ROC16K"},
      {78, "MEXICANLEGAL"},
      {79, "INDIALEGAL"},
      {0, "LETTER"},
      {12345, "LETTER"},
  };
  std::vector<SettingsCase> cases;
  for (const auto& [code, name] : papers) {
    cases.push_back({"paperSize " + std::to_string(code),
                     {{&JobSettings::paperSize, code}},
                     "@PJL SET PAPER=A4\n",
                     "@PJL SET PAPER=" + name + "\n"});
  }
  return cases;
}

std::vector<SettingsCase> MediaCases() {
  const std::vector<std::pair<int, std::string>> media = {
      {0, "REGULAR"},   {1, "THIN"},        {2, "THICK"},   {3, "THICK2"},   {5, "RECYCLED"},
      {6, "BOND"},      {7, "ENVELOPES"},   {8, "ENVTHIN"}, {9, "ENVTHICK"}, {10, "POSTCARD"},
      {11, "LABEL"},    {12, "GLOSSY"},     {4, "REGULAR"}, {13, "REGULAR"}, {-1, "REGULAR"},
      {100, "REGULAR"}, {32767, "REGULAR"},
  };
  std::vector<SettingsCase> cases;
  for (const auto& [code, name] : media) {
    cases.push_back({"mediaType " + std::to_string(code),
                     {{&JobSettings::mediaType, code}},
                     "@PJL SET MEDIATYPE=REGULAR\n",
                     "@PJL SET MEDIATYPE=" + name + "\n"});
  }
  return cases;
}

std::vector<SettingsCase> TrayCases() {
  const std::vector<std::pair<int, std::string>> trays = {
      {0, "AUTO"},  {1, "TRAY1"},  {2, "TRAY2"}, {3, "TRAY3"}, {4, "TRAY4"},
      {5, "TRAY5"}, {6, "MPTRAY"}, {8, "AUTO"},  {-3, "AUTO"},
  };
  const std::string from = "@PJL SET MANUALFEED=OFF\n@PJL SET SOURCETRAY=AUTO\n";
  std::vector<SettingsCase> cases;
  for (const auto& [code, name] : trays) {
    cases.push_back({"inputSlot " + std::to_string(code),
                     {{&JobSettings::inputSlot, code}},
                     from,
                     "@PJL SET MANUALFEED=OFF\n@PJL SET SOURCETRAY=" + name + "\n"});
  }
  cases.push_back(
      {"inputSlot 7 (Manual)", {{&JobSettings::inputSlot, 7}}, from, "@PJL SET MANUALFEED=ON\n"});
  return cases;
}

std::vector<SettingsCase> OtherCases() {
  const std::string render = "@PJL SET RENDERMODE=COLOR\n@PJL SET COLORADAPT=ON\n";
  const std::string duplex = "@PJL SET DUPLEX=OFF\n";
  const std::string improve = "@PJL SET LESSPAPERCURL=OFF\n@PJL SET FIXINTENSITYUP=OFF\n";
  const std::string matching = "@PJL SET COLORMODE=AUTO\n";
  const std::string plainExtra =
      "@PJL SET IMPROVEGRAY=OFF\n@PJL SET UCRGCRFORIMAGE=OFF\n@PJL SET BRIGHTNESS=0\n"
      "@PJL SET CONTRAST=0\n@PJL SET DENSITYRED=0\n@PJL SET DENSITYGREEN=0\n"
      "@PJL SET DENSITYBLUE=0\n";
  return {
      {"colorMode 2 (Auto)", {{&JobSettings::colorMode, 2}}, render, render},
      {"colorMode 1 (FullColor)",
       {{&JobSettings::colorMode, 1}},
       render,
       "@PJL SET RENDERMODE=COLOR\n@PJL SET COLORADAPT=OFF\n"},
      {"colorMode 0 (Mono)",
       {{&JobSettings::colorMode, 0}},
       render,
       "@PJL SET RENDERMODE=GRAYSCALE\n@PJL SET COLORADAPT=OFF\n"},
      {"tonerSave 1",
       {{&JobSettings::tonerSave, 1}},
       "@PJL SET ECONOPRINT=OFF\n",
       "@PJL SET ECONOMODE=ON\n"},
      {"resolution 1 (Normal)",
       {{&JobSettings::resolution, 1}},
       "@PJL SET APTMODE=ON\n",
       "@PJL SET APTMODE=OFF\n"},
      {"resolution 0", {{&JobSettings::resolution, 0}}, "APTMODE=ON\n", "APTMODE=OFF\n"},
      {"duplex 0", {{&JobSettings::duplex, 0}}, duplex, duplex},
      {"duplex 1 (Tumble)",
       {{&JobSettings::duplex, 1}},
       duplex,
       "@PJL SET DUPLEX=ON\n@PJL SET BINDING=SHORTEDGE\n"},
      {"duplex 2 (NoTumble)",
       {{&JobSettings::duplex, 2}},
       duplex,
       "@PJL SET DUPLEX=ON\n@PJL SET BINDING=LONGEDGE\n"},
      {"duplex 3", {{&JobSettings::duplex, 3}}, duplex, duplex},
      {"improveOutput 0", {{&JobSettings::improveOutput, 0}}, improve, improve},
      {"improveOutput 1 (LessPaperCurl)",
       {{&JobSettings::improveOutput, 1}},
       improve,
       "@PJL SET LESSPAPERCURL=ON\n@PJL SET FIXINTENSITYUP=OFF\n"},
      {"improveOutput 2 (FixIntensity)",
       {{&JobSettings::improveOutput, 2}},
       improve,
       "@PJL SET LESSPAPERCURL=OFF\n@PJL SET FIXINTENSITYUP=ON\n"},
      {"colorMatching 3 (Auto) with other fields set",
       {{&JobSettings::colorMatching, 3},
        {&JobSettings::gray, 1},
        {&JobSettings::enhanceBlackPrint, 1},
        {&JobSettings::brightness, -5}},
       matching,
       matching},
      {"colorMatching 2 (Vivid)",
       {{&JobSettings::colorMatching, 2}},
       matching,
       "@PJL SET COLORMODE=VIVID\n" + plainExtra},
      {"colorMatching 1 (Normal)",
       {{&JobSettings::colorMatching, 1}},
       matching,
       "@PJL SET COLORMODE=NORMAL\n" + plainExtra},
      {"colorMatching 0 (None)",
       {{&JobSettings::colorMatching, 0}},
       matching,
       "@PJL SET COLORMODE=NONE\n" + plainExtra},
      {"colorMatching 9",
       {{&JobSettings::colorMatching, 9}},
       matching,
       "@PJL SET COLORMODE=NONE\n" + plainExtra},
      {"colorMatching 1 with every adjustment",
       {{&JobSettings::colorMatching, 1},
        {&JobSettings::gray, 1},
        {&JobSettings::enhanceBlackPrint, 1},
        {&JobSettings::brightness, -5},
        {&JobSettings::contrast, 12},
        {&JobSettings::redKey, -32768},
        {&JobSettings::greenKey, 32767},
        {&JobSettings::blueKey, -1}},
       matching,
       "@PJL SET COLORMODE=NORMAL\n@PJL SET IMPROVEGRAY=ON\n@PJL SET UCRGCRFORIMAGE=ON\n"
       "@PJL SET BRIGHTNESS=-5\n@PJL SET CONTRAST=12\n@PJL SET DENSITYRED=-32768\n"
       "@PJL SET DENSITYGREEN=32767\n@PJL SET DENSITYBLUE=-1\n"},
      {"copies and collate write nothing",
       {{&JobSettings::copies, 7}, {&JobSettings::collate, 1}},
       render,
       render},
  };
}

class PjlSettingsTest : public PjlTest, public testing::WithParamInterface<SettingsCase> {};

TEST_P(PjlSettingsTest, WritesTheLinesOfTheSetting) {
  const SettingsCase& c = GetParam();
  JobSettings settings = DefaultSettings();
  for (const auto& [field, value] : c.fields)
    settings.*field = static_cast<std::int16_t>(value);
  const std::string expected = Replaced(kDefaultHeader, c.from, c.to);
  ASSERT_FALSE(expected.empty()) << "the case's text is not in the default header once";
  EXPECT_EQ(Header(settings), expected);
  EXPECT_EQ(Trailer(), kDefaultTrailer);
}

INSTANTIATE_TEST_SUITE_P(PaperTable, PjlSettingsTest, testing::ValuesIn(PaperCases()));
INSTANTIATE_TEST_SUITE_P(MediaTable, PjlSettingsTest, testing::ValuesIn(MediaCases()));
INSTANTIATE_TEST_SUITE_P(TrayTable, PjlSettingsTest, testing::ValuesIn(TrayCases()));
INSTANTIATE_TEST_SUITE_P(OtherSteps, PjlSettingsTest, testing::ValuesIn(OtherCases()));

// --- Environment -------------------------------------------------------------------------

struct EnvironmentCase {
  std::string label;
  std::vector<std::pair<const char*, std::string>> env;
  std::string from;  // in the default header
  std::string to;
  std::string trailer;
};

void PrintTo(const EnvironmentCase& c, std::ostream* os) {
  *os << c.label;
}

const std::string kHoldOff = "@PJL SET HOLD=OFF\n";
const std::string kTray = "@PJL SET SOURCETRAY=AUTO\n";

std::string Hold(const std::string& key) {
  return "@PJL SET HOLD=STORE\n@PJL SET HOLDTYPE=PRIVATE\n@PJL SET HOLDKEY=" + key + "\n";
}

// The four attribute lines for the already neutralised owner and title.
std::string Attributes(const std::string& owner, const std::string& title) {
  return "@PJL SET USERNAME=\"" + owner + "\"\n@PJL SET JOBNAME=\"" + title +
         "\"\n@PJL SET LOGINUSER=\"" + owner + "\"\n@PJL JOB NAME=\"" + title + "\"\n";
}

std::string TitleTrailer(const std::string& title) {
  return kUel + "@PJL EOJ NAME=\"" + title + "\"\n" + kUel + "\n";
}

std::vector<EnvironmentCase> EnvironmentCases() {
  return {
      {"PASSWORD empty", {{"PASSWORD", ""}}, kHoldOff, kHoldOff, kDefaultTrailer},
      {"PASSWORD set", {{"PASSWORD", "4711"}}, kHoldOff, Hold("4711"), kDefaultTrailer},
      {"OWNER and TITLE",
       {{"OWNER", "alice"}, {"TITLE", "Quarterly report"}},
       kHoldOff,
       kHoldOff + Attributes("alice", "Quarterly report"),
       TitleTrailer("Quarterly report")},
      {"OWNER only",
       {{"OWNER", "bob"}},
       kHoldOff,
       kHoldOff + "@PJL SET USERNAME=\"bob\"\n@PJL SET LOGINUSER=\"bob\"\n",
       kDefaultTrailer},
      {"TITLE only",
       {{"TITLE", "t"}},
       kHoldOff,
       kHoldOff + "@PJL SET JOBNAME=\"t\"\n@PJL JOB NAME=\"t\"\n",
       TitleTrailer("t")},
      {"OWNER and TITLE empty",
       {{"OWNER", ""}, {"TITLE", ""}},
       kHoldOff,
       kHoldOff,
       kDefaultTrailer},
      {"PASSWORD, OWNER and TITLE",
       {{"PASSWORD", "pw"}, {"OWNER", "o"}, {"TITLE", "T"}},
       kHoldOff,
       Hold("pw") + Attributes("o", "T"),
       TitleTrailer("T")},
      {"OUTPUTTRAY OFF",
       {{"OUTPUTTRAY", "OFF"}},
       kTray,
       kTray + "@PJL SET OUTBIN=UPPER\n@PJL SET FINISH=NONE\n",
       kDefaultTrailer},
      {"OUTPUTTRAY off",
       {{"OUTPUTTRAY", "off"}},
       kTray,
       kTray + "@PJL SET OUTBIN=AUTO\n",
       kDefaultTrailer},
      {"OUTPUTTRAY 'OFF '",
       {{"OUTPUTTRAY", "OFF "}},
       kTray,
       kTray + "@PJL SET OUTBIN=AUTO\n",
       kDefaultTrailer},
      {"OUTPUTTRAY OFFX",
       {{"OUTPUTTRAY", "OFFX"}},
       kTray,
       kTray + "@PJL SET OUTBIN=AUTO\n",
       kDefaultTrailer},
      {"OUTPUTTRAY empty", {{"OUTPUTTRAY", ""}}, kTray, kTray, kDefaultTrailer},
      // A submitter's values can neither start new PJL lines nor close their quotes early.
      {"TITLE with a quote and a line break",
       {{"TITLE", "a\"b\n@PJL SET HOLD=OFF"}},
       kHoldOff,
       kHoldOff + "@PJL SET JOBNAME=\"a'b @PJL SET HOLD=OFF\"\n@PJL JOB NAME=\"a'b @PJL SET "
                  "HOLD=OFF\"\n",
       TitleTrailer("a'b @PJL SET HOLD=OFF")},
      {"OWNER with every kind of control byte",
       {{"OWNER", "\x01x\ty\r\n\x1b%-12345X\x1f\x7f\"\""}},
       kHoldOff,
       kHoldOff + "@PJL SET USERNAME=\" x y   %-12345X  ''\"\n"
                  "@PJL SET LOGINUSER=\" x y   %-12345X  ''\"\n",
       kDefaultTrailer},
      {"PASSWORD keeps its quotes but loses its control bytes",
       {{"PASSWORD", "\"12\"\n@PJL ENTER LANGUAGE=PCL\r"}},
       kHoldOff,
       Hold("\"12\" @PJL ENTER LANGUAGE=PCL "),
       kDefaultTrailer},
      {"non-ASCII bytes stay unchanged",
       {{"OWNER", "J\xc3\xbcrgen"}, {"TITLE", "\xe2\x80\x9cRapport\xe2\x80\x9d \xff\x80"}},
       kHoldOff,
       kHoldOff + Attributes("J\xc3\xbcrgen", "\xe2\x80\x9cRapport\xe2\x80\x9d \xff\x80"),
       TitleTrailer("\xe2\x80\x9cRapport\xe2\x80\x9d \xff\x80")},
  };
}

class PjlEnvironmentTest : public PjlTest, public testing::WithParamInterface<EnvironmentCase> {};

TEST_P(PjlEnvironmentTest, WritesTheJobAttributes) {
  const EnvironmentCase& c = GetParam();
  for (const auto& [name, value] : c.env)
    ::setenv(name, value.c_str(), 1);
  const std::string expected = Replaced(kDefaultHeader, c.from, c.to);
  ASSERT_FALSE(expected.empty()) << "the case's text is not in the default header once";
  EXPECT_EQ(Header(DefaultSettings()), expected);
  EXPECT_EQ(Trailer(), c.trailer);
}

INSTANTIATE_TEST_SUITE_P(Attributes, PjlEnvironmentTest, testing::ValuesIn(EnvironmentCases()));

TEST_F(PjlTest, ReadsTheEnvironmentAtEveryUse) {
  ::setenv("TITLE", "first", 1);
  WritePjlHeader(DefaultSettings());
  Take();
  ::setenv("TITLE", "second", 1);
  EXPECT_EQ(Trailer(), TitleTrailer("second"));
  ::unsetenv("TITLE");
  EXPECT_EQ(Trailer(), kDefaultTrailer);
}

// --- WriteOutput -------------------------------------------------------------------------

TEST(WriteOutput, ReportsWhetherTheItemWasWritten) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* memory = ::open_memstream(&data, &size);
  ASSERT_NE(memory, nullptr);
  SetOutputStream(memory);
  EXPECT_EQ(WriteOutput("abc", 3), 1);
  EXPECT_EQ(WriteOutput("x", 0), 1);
  std::fflush(memory);
  EXPECT_EQ(std::string(data, size), "abc");

  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  std::setvbuf(full, nullptr, _IONBF, 0);
  SetOutputStream(full);
  EXPECT_EQ(WriteOutput("abc", 3), 0);
  EXPECT_EQ(WriteOutput("abc", 0), 1);
  SetOutputStream(nullptr);
  std::fclose(full);
  std::fclose(memory);
  std::free(data);
}

}  // namespace
}  // namespace velmora
