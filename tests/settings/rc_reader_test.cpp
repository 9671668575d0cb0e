// Rc file reader: normalising lines (blanks and tabs removed everywhere), comments, the one
// section header and its faults, entries for list and numerical options, later lines
// overriding earlier ones, carriage-return line ends, lines longer than one read, and the
// open and read failures. Each case reads a file into a fresh copy of the default table.
#include "settings/rc_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "src_header/kxfiletool.h"
#include "tests/support/test_printer.h"

namespace velmora {
namespace {

using test::MakeScratchDir;
using test::RemoveTree;
using test::WriteFile;

constexpr const char* kHeaderFault = "Error: invalid printer name at rc-file !!\n";

// One option as the file should leave it: the inner value of a list row's choice or the
// number of a numerical row.
struct Expect {
  Row row;
  std::int16_t value;
};

struct RcCase {
  const char* label;
  std::string content;
  int code;  // 0 or 5; the message follows from it
  std::string printerName;
  std::vector<Expect> changed;  // every other option keeps its default
};

void PrintTo(const RcCase& c, std::ostream* os) {
  *os << c.label;
}

// The default table with the options of `changed` set and `printerName` stored.
RcInfo ExpectedTable(const RcCase& c) {
  RcInfo table = kDefaultRcInfo;
  std::memcpy(table.szPrinterName, c.printerName.c_str(), c.printerName.size() + 1);
  for (const Expect& e : c.changed) {
    Param& param = table.pParams[RowNumber(e.row)];
    if (IsNumericalRow(RowNumber(e.row))) {
      param.nValue = e.value;
      continue;
    }
    param.nIndex = -1;
    for (std::int16_t i = 0; i < param.nItemCount; ++i) {
      if (param.pnInnerValues[i] == e.value) param.nIndex = i;
    }
  }
  return table;
}

void ExpectTable(const RcInfo& table, const RcInfo& want) {
  EXPECT_STREQ(table.szPrinterName, want.szPrinterName);
  for (int row = 0; row < kParamCount; ++row) {
    EXPECT_EQ(table.pParams[row].nIndex, want.pParams[row].nIndex)
        << "choice of " << want.pParams[row].pszName;
    EXPECT_EQ(table.pParams[row].nValue, want.pParams[row].nValue)
        << "number of " << want.pParams[row].pszName;
  }
}

class RcFile : public testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("rc_reader"); }
  void TearDown() override { RemoveTree(dir_); }

  // Writes `content` as an rc file and reads it into table_; returns the code and leaves
  // what went to standard error in err_.
  int Read(const std::string& content) {
    const std::string path = dir_ + "/printer.rc";
    WriteFile(path, content);
    return ReadPath(path);
  }
  int ReadPath(const std::string& path) {
    testing::internal::CaptureStderr();
    const int code = ReadRcFile(path.c_str(), &table_);
    err_ = testing::internal::GetCapturedStderr();
    return code;
  }

  std::string dir_;
  RcInfo table_ = kDefaultRcInfo;
  std::string err_;
};

class RcFileCase : public RcFile, public testing::WithParamInterface<RcCase> {};

TEST_P(RcFileCase, ReadsIntoTheTable) {
  const RcCase& c = GetParam();
  EXPECT_EQ(Read(c.content), c.code);
  EXPECT_EQ(err_, c.code == 5 ? kHeaderFault : "");
  ExpectTable(table_, ExpectedTable(c));
}

const std::string k31(31, 'n');
const std::string k32(32, 'n');

INSTANTIATE_TEST_SUITE_P(
    Normalising, RcFileCase,
    testing::Values(
        RcCase{"example file",
               "#settings of one printer\n[ColorLaser1]\nPageSize=Letter\nCopies = 2\n"
               "KXMonoColor=Mono\nCollate=ON\nMediaType=Transparency\n",
               0,
               "ColorLaser1",
               {{Row::kPageSize, 1}, {Row::kCopies, 2}, {Row::kMonoColor, 0}, {Row::kCollate, 1}}},
        RcCase{"blanks and tabs removed everywhere",
               " \t[ Color\tLaser 1 ] \n\tPage Size = Let ter\t\n Cop ies\t=\t1 2 \n",
               0,
               "ColorLaser1",
               {{Row::kPageSize, 1}, {Row::kCopies, 12}}},
        RcCase{"Page Size = A 4 is PageSize=A4",
               "[P]\nPageSize=Letter\nPage Size = A 4\n",
               0,
               "P",
               {{Row::kPageSize, 9}}},
        RcCase{"comments and blank lines, indented too",
               "# first\n\n \t \n   # indented\n[P]\n\t#Collate=ON\n  \n#[Q]\nCopies=3\n",
               0,
               "P",
               {{Row::kCopies, 3}}},
        RcCase{"empty file", "", 0, "", {}},
        RcCase{"only comments and blank lines", "#a\n\n  # b\n\t\n", 0, "", {}},
        RcCase{"last line without newline", "[P]\nCopies=3", 0, "P", {{Row::kCopies, 3}}}));

INSTANTIATE_TEST_SUITE_P(
    Header, RcFileCase,
    testing::Values(
        RcCase{"no closing bracket", "[ColorLaser1\n", 0, "ColorLaser1", {}},
        RcCase{"text after the bracket", "[ColorLaser1]x\n", 0, "ColorLaser1", {}},
        RcCase{"name up to the first bracket", "[A]]B]\n", 0, "A", {}},
        RcCase{"opening bracket inside the name", "[a[b]\n", 0, "a[b", {}},
        RcCase{"31 characters", "[" + k31 + "]\n", 0, k31, {}},
        RcCase{"32 characters", "[" + k32 + "]\n", 5, "", {}},
        RcCase{"32 characters without bracket", "[" + k32 + "\n", 5, "", {}},
        RcCase{"31 characters after removing blanks",
               "[" + std::string(20, 'n') + " \t " + std::string(11, 'n') + "]\n",
               0,
               k31,
               {}},
        RcCase{"second header", "[P]\nCopies=2\n[Q]\nCopies=5\n", 5, "P", {{Row::kCopies, 2}}},
        RcCase{"second header with the same name", "[P]\n[P]\n", 5, "P", {}},
        RcCase{"second header after comments", "[P]\n#x\n\n[Q\n", 5, "P", {}},
        RcCase{"header that is only [", "[\n", 5, "", {}},
        RcCase{"header that is only [ after removing blanks", "  [ \t\n", 5, "", {}},
        // The name becomes a directory of the paper file paths: an empty one is refused.
        RcCase{"empty name", "[]\n", 5, "", {}},
        RcCase{"empty name with text after it", "[]P\n", 5, "", {}},
        RcCase{"entry before the header", "Copies=2\n[P]\n", 5, "", {}},
        RcCase{"unknown key before the header", "#c\nFoo=Bar\n[P]\n", 5, "", {}},
        RcCase{"line without = before the header", "garbage\n[P]\n", 5, "", {}},
        RcCase{"fault stops the reading",
               "[P]\nCollate=ON\n[Q]\nCopies=5\n",
               5,
               "P",
               {{Row::kCollate, 1}}}));

INSTANTIATE_TEST_SUITE_P(
    Entries, RcFileCase,
    testing::Values(
        RcCase{"# inside a number", "[P]\nCopies=2#two\n", 0, "P", {{Row::kCopies, 2}}},
        RcCase{"# inside a list value", "[P]\nCollate=ON#yes\n", 0, "P", {}},
        RcCase{"keys are case-sensitive", "[P]\ncopies=3\ncollate=ON\n", 0, "P", {}},
        RcCase{"value that starts with =",
               "[P]\nPageSize=Letter\nPageSize==A4\n",
               0,
               "P",
               {{Row::kPageSize, 1}}},
        RcCase{"value holding =", "[P]\nCollate=ON=1\nCopies=4=5\n", 0, "P", {{Row::kCopies, 4}}},
        RcCase{"empty number reads as 0", "[P]\nCopies=\n", 0, "P", {{Row::kCopies, 0}}},
        RcCase{"empty list value", "[P]\nCollate=\n", 0, "P", {}},
        RcCase{"unknown keys, empty key and lines without =",
               "[P]\nFoo=Bar\n=ON\nCollate\nON\n",
               0,
               "P",
               {}},
        RcCase{"later line wins",
               "[P]\nCopies=2\nMediaType=Thin\nCopies=5\nMediaType=Thick\n",
               0,
               "P",
               {{Row::kCopies, 5}, {Row::kMediaType, 2}}},
        RcCase{"invalid later value keeps the earlier choice",
               "[P]\nMediaType=Thin\nMediaType=Transparency\nKXDuplex=DuplexTumble\n"
               "KXDuplex=duplextumble\n",
               0,
               "P",
               {{Row::kMediaType, 1}, {Row::kDuplex, 1}}},
        // Row types decide how a value is read: Saturation is a number, Language a list.
        RcCase{"every option",
               "[P]\nMediaType=Recycled\nPageSize=Kx3x5\nInputSlot=Manual\nKXResolution=Normal\n"
               "Copies=9\nCollate=ON\nKXReverse=ON\nKXMonoColor=FullColor\n"
               "KXColorMatching=Vivid\nKXGray=ON\nKXEnhanceBlkPrt=ON\nTonerSaveMode=ON\n"
               "KXImproveOutput=KXFixIntensity\nBrightness=-3\nContrast=4\nRedKey=5\n"
               "GreenKey=-6\nBlueKey=7\nSaturation=8\nKXDuplex=DuplexNoTumble\n"
               "KXSkipBlank=ON\nLanguage=canada\n",
               0,
               "P",
               {{Row::kMediaType, 5},
                {Row::kPageSize, 261},
                {Row::kInputSlot, 7},
                {Row::kResolution, 1},
                {Row::kCopies, 9},
                {Row::kCollate, 1},
                {Row::kReverse, 1},
                {Row::kMonoColor, 1},
                {Row::kColorMatching, 2},
                {Row::kGray, 1},
                {Row::kEnhanceBlackPrint, 1},
                {Row::kTonerSaveMode, 1},
                {Row::kImproveOutput, 2},
                {Row::kBrightness, -3},
                {Row::kContrast, 4},
                {Row::kRedKey, 5},
                {Row::kGreenKey, -6},
                {Row::kBlueKey, 7},
                {Row::kSaturation, 8},
                {Row::kDuplex, 2},
                {Row::kSkipBlank, 1},
                {Row::kLanguage, 2}}},
        RcCase{"word values in numerical rows read as 0",
               "[P]\nSaturation=ON\nCopies=two\n",
               0,
               "P",
               {{Row::kSaturation, 0}, {Row::kCopies, 0}}}));

// A carriage return stays in the line: it ends every value and is not a blank.
INSTANTIATE_TEST_SUITE_P(
    CarriageReturns, RcFileCase,
    testing::Values(RcCase{"list values fail, numbers are read",
                           "[P]\r\nCollate=ON\r\nCopies=4\r\nBrightness=-2\r\n",
                           0,
                           "P",
                           {{Row::kCopies, 4}, {Row::kBrightness, -2}}},
                    RcCase{
                        "name without bracket keeps the carriage return", "[P\r\n", 0, "P\r", {}},
                    RcCase{"carriage-return line before the header", "\r\n[P]\r\n", 5, "", {}},
                    RcCase{"carriage return after a header", "[P]\n\r\n", 0, "P", {}}));

// One read takes at most 1023 characters; the rest of a longer line is read as lines of
// their own. Blanks count before they are removed.
INSTANTIATE_TEST_SUITE_P(
    LongLines, RcFileCase,
    testing::Values(RcCase{"piece after a long comment is an entry",
                           "[P]\n#" + std::string(1022, 'x') + "Copies=7\n",
                           0,
                           "P",
                           {{Row::kCopies, 7}}},
                    RcCase{"piece after 1023 blanks is an entry",
                           "[P]\n" + std::string(1023, ' ') + "Collate=ON\n",
                           0,
                           "P",
                           {{Row::kCollate, 1}}},
                    RcCase{"1023 characters are one line",
                           "[P]\n#" + std::string(1022, 'x') + "\nCopies=7\n",
                           0,
                           "P",
                           {{Row::kCopies, 7}}},
                    RcCase{
                        "long line without =", "[P]\n" + std::string(3000, 'a') + "\n", 0, "P", {}},
                    RcCase{"rest of a long entry is a line without =",
                           "[P]\nCollate=" + std::string(1015, 'O') + "ON\n",
                           0,
                           "P",
                           {}},
                    RcCase{"piece of a long comment before the header",
                           "#" + std::string(1500, 'x') + "\n[P]\n",
                           5,
                           "",
                           {}}));

TEST_F(RcFile, CannotOpenIsErrorOneWithThePath) {
  const std::string path = dir_ + "/missing.rc";
  EXPECT_EQ(ReadPath(path), 1);
  EXPECT_EQ(err_, "Error: " + path + " :cannot open file !!\n");
  ExpectTable(table_, kDefaultRcInfo);
}

// A folder opens for reading but cannot be read: a read error ends the file with success.
TEST_F(RcFile, ReadErrorEndsTheFile) {
  EXPECT_EQ(ReadPath(dir_), 0);
  EXPECT_EQ(err_, "");
  ExpectTable(table_, kDefaultRcInfo);
}

TEST(RcHelpers, StripBlanksAndParseRcEntry) {
  char line[] = " \tA b\tc  d \t";
  EXPECT_EQ(StripBlanks(line), line);
  EXPECT_STREQ(line, "Abcd");
  char kept[] = "a\rb\nc\vd";
  EXPECT_STREQ(StripBlanks(kept), "a\rb\nc\vd");

  char value[kRcValueSize];
  EXPECT_EQ(ParseRcEntry("Collate", value, &kDefaultRcInfo), -2);
  EXPECT_EQ(ParseRcEntry("Collate=ON=1", value, &kDefaultRcInfo), 5);
  EXPECT_STREQ(value, "ON=1");
  EXPECT_EQ(ParseRcEntry("Language=", value, &kDefaultRcInfo), 21);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(ParseRcEntry("Langu=us", value, &kDefaultRcInfo), -1);
  EXPECT_EQ(ParseRcEntry("=us", value, &kDefaultRcInfo), -1);
}

}  // namespace
}  // namespace velmora
