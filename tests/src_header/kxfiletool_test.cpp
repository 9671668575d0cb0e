// Option table: the 22 rows with their names, types, value names, inner values and defaults;
// looking up a value name by option name; setting list choices (exact matching only) and
// numbers (low 16 bits); and the stop on a negative choice in GetPjpInnerValue.
//
// Every test works on its own copy of the default table, never on gRcInfo.
#include "src_header/kxfiletool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct Choice {
  const char* name;
  std::int16_t inner;
};

struct ExpectedRow {
  const char* name;
  bool numerical;
  std::vector<Choice> choices;  // list rows
  int defaultValue;             // list rows: default choice number; numerical rows: number
};

const std::vector<Choice> kOffOn = {{"OFF", 0}, {"ON", 1}};

const std::vector<ExpectedRow> kRows = {
    {"MediaType",
     false,
     {{"Plain", 0},
      {"Thin", 1},
      {"Thick", 2},
      {"Thicker", 3},
      {"BOND", 6},
      {"Recycled", 5},
      {"Env", 7},
      {"EnvThin", 8},
      {"EnvThick", 9},
      {"PostCard", 10},
      {"Label", 11},
      {"Glossy", 12}},
     0},
    {"PageSize",
     false,
     {{"A4", 9},          {"Letter", 1},       {"Legal", 5},      {"Executive", 7},
      {"A5", 11},         {"PRA5Rotated", 61}, {"A6", 70},        {"ISOB5", 13},
      {"JISB5", 34},      {"JISB6", 69},       {"EnvDL", 27},     {"EnvC5", 28},
      {"Env10", 20},      {"EnvMonarch", 37},  {"Kx3x5", 261},    {"FanFoldGermanLegal", 14},
      {"Postcard", 43},   {"EnvYou4", 91},     {"EnvChou3", 73},  {"210x270mm", 74},
      {"195x270mm", 77},  {"184x260mm", 76},   {"197x273mm", 75}, {"MexicanLegal", 78},
      {"IndianLegal", 79}},
     0},
    {"InputSlot",
     false,
     {{"AutoSelect", 0},
      {"Tray1", 1},
      {"Tray2", 2},
      {"Tray3", 3},
      {"Tray4", 4},
      {"Tray5", 5},
      {"MPTray", 6},
      {"Manual", 7}},
     0},
    {"KXResolution", false, {{"Normal", 1}, {"Fine", 2}}, 1},
    {"Copies", true, {}, 1},
    {"Collate", false, kOffOn, 0},
    {"KXReverse", false, kOffOn, 0},
    {"KXMonoColor", false, {{"Auto", 2}, {"FullColor", 1}, {"Mono", 0}}, 0},
    {"KXColorMatching", false, {{"Auto", 3}, {"Normal", 1}, {"Vivid", 2}, {"None", 0}}, 0},
    {"KXGray", false, kOffOn, 0},
    {"KXEnhanceBlkPrt", false, kOffOn, 0},
    {"TonerSaveMode", false, kOffOn, 0},
    {"KXImproveOutput", false, {{"OFF", 0}, {"KXLessPaperCurl", 1}, {"KXFixIntensity", 2}}, 0},
    {"Brightness", true, {}, 0},
    {"Contrast", true, {}, 0},
    {"RedKey", true, {}, 0},
    {"GreenKey", true, {}, 0},
    {"BlueKey", true, {}, 0},
    {"Saturation", true, {}, 0},
    {"KXDuplex", false, {{"None", 0}, {"DuplexTumble", 1}, {"DuplexNoTumble", 2}}, 0},
    {"KXSkipBlank", false, kOffOn, 0},
    {"Language", false, {{"us", 1}, {"canada", 2}, {"other", 0}}, 0},
};

// True when every row of `a` holds the same choice and number as in `b`.
bool SameState(const RcInfo& a, const RcInfo& b) {
  if (std::strcmp(a.szPrinterName, b.szPrinterName) != 0) return false;
  for (int row = 0; row < kParamCount; ++row) {
    if (a.pParams[row].nIndex != b.pParams[row].nIndex) return false;
    if (a.pParams[row].nValue != b.pParams[row].nValue) return false;
  }
  return true;
}

TEST(OptionTable, HoldsTheTwentyTwoRowsWithTheirDefaults) {
  const RcInfo& table = kDefaultRcInfo;
  EXPECT_EQ(table.nParamCount, 22);
  EXPECT_EQ(table.szPrinterName[0], '\0');
  ASSERT_EQ(kRows.size(), 22u);
  for (int row = 0; row < kParamCount; ++row) {
    const ExpectedRow& want = kRows[static_cast<std::size_t>(row)];
    const Param& param = table.pParams[row];
    SCOPED_TRACE("row " + std::to_string(row) + " " + want.name);
    EXPECT_STREQ(param.pszName, want.name);
    EXPECT_EQ(IsNumericalRow(row), want.numerical);
    if (want.numerical) {
      EXPECT_EQ(param.nItemCount, 0);
      EXPECT_EQ(param.nIndex, -1);
      EXPECT_EQ(param.nValue, want.defaultValue);
      continue;
    }
    EXPECT_EQ(param.nValue, 0);
    EXPECT_EQ(param.nIndex, want.defaultValue);
    ASSERT_EQ(param.nItemCount, static_cast<int>(want.choices.size()));
    for (std::size_t i = 0; i < want.choices.size(); ++i) {
      EXPECT_STREQ(param.ppszValueNames[i], want.choices[i].name) << "choice " << i;
      EXPECT_EQ(param.pnInnerValues[i], want.choices[i].inner) << "choice " << i;
    }
  }
}

TEST(OptionTable, ProcessTableStartsAtTheDefaults) {
  EXPECT_TRUE(SameState(gRcInfo, kDefaultRcInfo));
}

TEST(OptionTable, DefaultInnerValuesAndNames) {
  const RcInfo table = kDefaultRcInfo;
  EXPECT_STREQ(GetParamValueName("PageSize", &table), "A4");
  EXPECT_EQ(GetPjpInnerValue(1, &table), 9);
  EXPECT_STREQ(GetParamValueName("KXResolution", &table), "Fine");
  EXPECT_EQ(GetPjpInnerValue(3, &table), 2);
  EXPECT_EQ(GetPjpInnerValue(7, &table), 2);   // KXMonoColor "Auto"
  EXPECT_EQ(GetPjpInnerValue(8, &table), 3);   // KXColorMatching "Auto"
  EXPECT_EQ(GetPjpInnerValue(21, &table), 1);  // Language "us"
  EXPECT_STREQ(GetParamValueName("KXSkipBlank", &table), "OFF");
}

TEST(OptionTable, GetParamValueNameMatchesTheWholeNameCaseSensitively) {
  RcInfo table = kDefaultRcInfo;
  EXPECT_EQ(GetParamValueName("collate", &table), nullptr);
  EXPECT_EQ(GetParamValueName("COLLATE", &table), nullptr);
  EXPECT_EQ(GetParamValueName("Collat", &table), nullptr);
  EXPECT_EQ(GetParamValueName("CollateX", &table), nullptr);
  EXPECT_EQ(GetParamValueName("", &table), nullptr);
  EXPECT_EQ(GetParamValueName("Copies", &table), nullptr);  // numerical: no value name
  ASSERT_EQ(SetListParam(1, "Letter", &table), 0);
  const char* name = GetParamValueName("PageSize", &table);
  EXPECT_STREQ(name, "Letter");
  EXPECT_EQ(name, table.pParams[1].ppszValueNames[1]);  // the table's own text
}

struct ListCase {
  int row;
  const char* text;
  int result;          // 0: matched; -1: refused, the row keeps its choice
  std::int16_t inner;  // inner value after a match
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << "row " << c.row << " text \"" << c.text << "\"";
}

class SetListParamTest : public testing::TestWithParam<ListCase> {};

// The row starts at its last choice, so a refused text that resets the row would show.
TEST_P(SetListParamTest, MatchesExactlyOrChangesNothing) {
  const ListCase& c = GetParam();
  RcInfo table = kDefaultRcInfo;
  Param& param = table.pParams[c.row];
  if (param.nItemCount > 0) param.nIndex = static_cast<std::int16_t>(param.nItemCount - 1);
  const RcInfo before = table;
  EXPECT_EQ(SetListParam(c.row, c.text, &table), c.result);
  if (c.result != 0) {
    EXPECT_TRUE(SameState(table, before));
    return;
  }
  EXPECT_STREQ(param.ppszValueNames[param.nIndex], c.text);
  EXPECT_EQ(GetPjpInnerValue(c.row, &table), c.inner);
  param.nIndex = before.pParams[c.row].nIndex;
  EXPECT_TRUE(SameState(table, before)) << "another row changed";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetListParamTest,
    testing::Values(ListCase{5, "ON", 0, 1}, ListCase{5, "OFF", 0, 0}, ListCase{5, "on", -1, 0},
                    ListCase{5, "ON ", -1, 0}, ListCase{5, "ONx", -1, 0}, ListCase{5, "O", -1, 0},
                    ListCase{5, "", -1, 0}, ListCase{0, "BOND", 0, 6}, ListCase{0, "Bond", -1, 0},
                    ListCase{0, "Recycled", 0, 5}, ListCase{0, "PostCard", 0, 10},
                    ListCase{0, "Postcard", -1, 0}, ListCase{1, "Postcard", 0, 43},
                    ListCase{1, "PostCard", -1, 0}, ListCase{1, "Kx3x5", 0, 261},
                    ListCase{1, "A4", 0, 9}, ListCase{1, "A4:", -1, 0}, ListCase{3, "Normal", 0, 1},
                    ListCase{7, "Mono", 0, 0}, ListCase{7, "FullColor", 0, 1},
                    ListCase{7, "Auto", 0, 2}, ListCase{8, "None", 0, 0},
                    ListCase{21, "other", 0, 0}, ListCase{21, "canada", 0, 2},
                    // Numerical rows have no value names.
                    ListCase{4, "1", -1, 0}, ListCase{4, "", -1, 0}, ListCase{18, "OFF", -1, 0}));

struct NumberCase {
  const char* text;
  std::int16_t value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << "text \"" << c.text << "\"";
}

class SetNumericalParamTest : public testing::TestWithParam<NumberCase> {};

TEST_P(SetNumericalParamTest, StoresTheLowSixteenBits) {
  const NumberCase& c = GetParam();
  RcInfo table = kDefaultRcInfo;
  table.pParams[4].nValue = 123;  // a value that no case produces
  RcInfo before = table;
  EXPECT_EQ(SetNumericalParam(4, c.text, &table), 0);
  EXPECT_EQ(table.pParams[4].nValue, c.value);
  before.pParams[4].nValue = c.value;
  EXPECT_TRUE(SameState(table, before)) << "another row changed";
}

INSTANTIATE_TEST_SUITE_P(Texts, SetNumericalParamTest,
                         testing::Values(NumberCase{"3", 3}, NumberCase{"3abc", 3},
                                         NumberCase{"abc", 0}, NumberCase{"", 0},
                                         NumberCase{"-2", -2}, NumberCase{"+7", 7},
                                         NumberCase{"-", 0}, NumberCase{"- 5", 0},
                                         NumberCase{"+-5", 0}, NumberCase{" \t5", 5},
                                         NumberCase{"1e3", 1}, NumberCase{"007", 7},
                                         NumberCase{"32767", 32767}, NumberCase{"32768", -32768},
                                         NumberCase{"-32768", -32768}, NumberCase{"40000", -25536},
                                         NumberCase{"65536", 0}, NumberCase{"70000", 4464},
                                         NumberCase{"-70000", -4464}));

TEST(SetNumericalParam, SetsTheRowItIsGiven) {
  RcInfo table = kDefaultRcInfo;
  EXPECT_EQ(SetNumericalParam(17, "-9", &table), 0);
  EXPECT_EQ(table.pParams[17].nValue, -9);
  EXPECT_EQ(table.pParams[4].nValue, 1);
}

TEST(GetPjpInnerValueDeathTest, StopsOnANegativeChoice) {
  RcInfo table = kDefaultRcInfo;
  table.pParams[5].nIndex = -1;
  EXPECT_DEATH(GetPjpInnerValue(5, &table), "src_header/kxfiletool.*pParam->nIndex >= 0");
}

}  // namespace
}  // namespace velmora
