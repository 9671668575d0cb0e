// Paper geometry readers: the raster size from the paper-info file (a stream of words: four
// header words, then "name width height" records) and the paper size from the printer's
// ImagingArea and PaperDimension (read line by line). Covers which record or line belongs to
// the page size, every error code with its message (or none), the bounded word lengths and
// the refusal of raster sizes that cannot be printed.
#include "settings/paper_geometry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "settings/job_settings.h"
#include "src_header/kxfiletool.h"
#include "tests/support/test_printer.h"

namespace velmora {
namespace {

using test::TestPrinter;
using test::WriteFile;

std::string InvalidFormat(const std::string& page) {
  return "Error: " + page + " :invalid format found in paperinf !!\n";
}
std::string NotFound(const std::string& page) {
  return "Error: " + page + ": paper info not found in paperinf !!\n";
}

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& param) {
  std::string name;
  for (const char* p = param.param.label; *p != '\0'; ++p) {
    if (std::isalnum(static_cast<unsigned char>(*p)) != 0) name += *p;
  }
  return name + "_" + std::to_string(param.index);
}

// A fresh table whose printer is `printer` and whose page size is `pageSize`.
RcInfo TableFor(const TestPrinter& printer, const char* pageSize) {
  RcInfo table = kDefaultRcInfo;
  std::snprintf(table.szPrinterName, sizeof table.szPrinterName, "%s", printer.name().c_str());
  EXPECT_EQ(SetListParam(RowNumber(Row::kPageSize), pageSize, &table), 0) << pageSize;
  return table;
}

// ---------------------------------------------------------------------------------------
// Paper-info file

struct PaperInfoCase {
  const char* label;
  std::string content;
  int code;  // 0, 6 or 7; the message follows from it
  int width = 0;
  int height = 0;
  const char* pageSize = "A4";
};

void PrintTo(const PaperInfoCase& c, std::ostream* os) {
  *os << c.label;
}

class PaperInfoTest : public testing::TestWithParam<PaperInfoCase> {};

TEST_P(PaperInfoTest, ReadsTheRecordOfThePageSize) {
  const PaperInfoCase& c = GetParam();
  TestPrinter printer;
  const RcInfo table = TableFor(printer, c.pageSize);
  const std::string path = printer.dir() + "/paperinfo.txt";
  WriteFile(path, c.content);
  JobSettings settings = {};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadPaperInfo(path.c_str(), &settings, &table), c.code);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, c.code == 6 ? InvalidFormat(c.pageSize) : c.code == 7 ? NotFound(c.pageSize) : "");
  EXPECT_EQ(settings.pixelWidth, c.width);
  EXPECT_EQ(settings.pixelHeight, c.height);
  EXPECT_EQ(settings.paperWidth, 0);
  EXPECT_EQ(settings.paperHeight, 0);
}

const std::string kHead = "paper info width height\n";

INSTANTIATE_TEST_SUITE_P(
    Matching, PaperInfoTest,
    testing::Values(
        PaperInfoCase{"A4: matches", kHead + "A4: 100 50\n", 0, 100, 50},
        PaperInfoCase{"first matching record wins", kHead + "A4: 1 2\nA4: 3 4\n", 0, 1, 2},
        PaperInfoCase{"later record", kHead + "Letter: 1 2\nA4: 3 4\n", 0, 3, 4},
        PaperInfoCase{"A4 without colon does not match", kHead + "A4 1 2\n", 7},
        PaperInfoCase{"A4 without colon is passed over", kHead + "A4 1 2\nA4: 3 4\n", 0, 3, 4},
        PaperInfoCase{"A4:x matches", kHead + "A4:x 5 6\n", 0, 5, 6},
        PaperInfoCase{"A4Rotated: does not match", kHead + "A4Rotated: 1 2\n", 7},
        PaperInfoCase{"names are case-sensitive", kHead + "a4: 1 2\n", 7},
        PaperInfoCase{"another page size", kHead + "A4: 1 2\nLetter: 3 4\n", 0, 3, 4, "Letter"},
        PaperInfoCase{"Postcard is not PostCard", kHead + "PostCard: 1 2\n", 7, 0, 0, "Postcard"},
        PaperInfoCase{"any white space separates words", "a\tb\n\nc   d\n\tA4:\n7\t\t8", 0, 7, 8},
        PaperInfoCase{"header words may say anything", "1 2 3 4\nA4: 9 9\n", 0, 9, 9},
        PaperInfoCase{"no record for the page size", kHead + "Letter: 1 2\nLegal: 3 4\n", 7},
        PaperInfoCase{"header only", kHead, 7},
        PaperInfoCase{"header only without newline", "a b c d", 7},
        PaperInfoCase{"header and white space", "a b c d\n\n \t\n", 7},
        PaperInfoCase{"last record without newline", kHead + "Letter: 1 2", 7},
        PaperInfoCase{"record after the match is not read", kHead + "A4: 1 2\nLetter: x\nrubbish",
                      0, 1, 2}),
    CaseName<PaperInfoCase>);

INSTANTIATE_TEST_SUITE_P(
    Format, PaperInfoTest,
    testing::Values(
        PaperInfoCase{"empty file", "", 6}, PaperInfoCase{"only white space", " \n\t\n", 6},
        PaperInfoCase{"fewer than four header words", "a b c\n", 6},
        // The first record's name becomes the fourth header word; "1 2" no longer parse.
        PaperInfoCase{"three header words and a record", "a b c\nA4: 1 2\n", 6},
        PaperInfoCase{"non-numeric width before the match", kHead + "Letter: x 2\nA4: 1 2\n", 6},
        PaperInfoCase{"missing height before the match", kHead + "Letter: 1\nA4: 1 2\n", 6},
        PaperInfoCase{"name without numbers at the end", kHead + "Letter: 1 2\nLegal:", 6},
        PaperInfoCase{"non-numeric height of the match", kHead + "A4: 1 x\n", 6},
        PaperInfoCase{"number followed by letters", kHead + "A4: 5x 6\n", 6},
        PaperInfoCase{"signs are read", kHead + "A4: +5 -0\n", 0, 5, 0},
        PaperInfoCase{"header word of 63 characters",
                      "a b c " + std::string(63, 'h') + "\nA4: 1 2\n", 0, 1, 2},
        PaperInfoCase{"header word of 64 characters",
                      "a b c " + std::string(64, 'h') + "\nA4: 1 2\n", 6},
        PaperInfoCase{"other name word of 1024 characters",
                      kHead + std::string(1024, 'n') + " 1 2\nA4: 3 4\n", 0, 3, 4},
        PaperInfoCase{"matching name word of 1024 characters",
                      kHead + "A4:" + std::string(1021, 'n') + " 3 4\n", 0, 3, 4},
        PaperInfoCase{"name word of 1025 characters",
                      kHead + std::string(1025, 'n') + " 1 2\nA4: 3 4\n", 6}),
    CaseName<PaperInfoCase>);

// pixelWidth x pixelHeight x 3 bytes must fit the page buffer and a 16-bit size field.
INSTANTIATE_TEST_SUITE_P(
    RasterSize, PaperInfoTest,
    testing::Values(
        PaperInfoCase{"zero sizes", kHead + "A4: 0 0\n", 0, 0, 0},
        PaperInfoCase{"negative width", kHead + "A4: -1 5\n", 6},
        PaperInfoCase{"negative height", kHead + "A4: 5 -1\n", 6},
        PaperInfoCase{"width 32767", kHead + "A4: 32767 1\n", 0, 32767, 1},
        PaperInfoCase{"width 32768", kHead + "A4: 32768 1\n", 6},
        PaperInfoCase{"height 32768", kHead + "A4: 1 32768\n", 6},
        PaperInfoCase{"width beyond any integer", kHead + "A4: 99999999999999999999999 1\n", 6},
        PaperInfoCase{"largest page", kHead + "A4: 32767 21846\n", 0, 32767, 21846},
        PaperInfoCase{"one line more than the largest page", kHead + "A4: 32767 21847\n", 6},
        PaperInfoCase{"32767 x 32767", kHead + "A4: 32767 32767\n", 6},
        PaperInfoCase{"other records are not checked", kHead + "Letter: -1 99999\nA4: 8 4\n", 0, 8,
                      4}),
    CaseName<PaperInfoCase>);

TEST(PaperInfo, CannotOpenIsErrorOneWithThePath) {
  TestPrinter printer;
  const RcInfo table = TableFor(printer, "A4");
  const std::string path = printer.dir() + "/missing";
  JobSettings settings = {};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadPaperInfo(path.c_str(), &settings, &table), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: " + path + " :cannot open file !!\n");
}

// ---------------------------------------------------------------------------------------
// ImagingArea and PaperDimension

struct GeometryCase {
  const char* label;
  std::optional<std::string> imagingArea;  // nullopt: the file does not exist
  std::optional<std::string> paperDimension;
  int code;  // 0, 1, 7, 13 or 14; the message follows from it
  int width = 0;
  int height = 0;
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
  *os << c.label;
}

class PaperGeometryTest : public testing::TestWithParam<GeometryCase> {};

TEST_P(PaperGeometryTest, ReadsThePaperSize) {
  const GeometryCase& c = GetParam();
  TestPrinter printer;
  const RcInfo table = TableFor(printer, "A4");
  const std::string imagingArea = printer.inf() + "/ImagingArea";
  const std::string paperDimension = printer.inf() + "/PaperDimension";
  for (const auto& [path, content] :
       {std::pair{imagingArea, c.imagingArea}, std::pair{paperDimension, c.paperDimension}}) {
    if (content.has_value()) {
      WriteFile(path, *content);
    } else {
      std::filesystem::remove(path);
    }
  }
  std::string want;
  if (c.code == 1) {
    want = "Error: " + (c.imagingArea ? paperDimension : imagingArea) + " :cannot open file !!\n";
  } else if (c.code == 7) {
    want = NotFound("A4");
  }
  JobSettings settings = {};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadPaperGeometry(&settings, &table), c.code);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), want);
  EXPECT_EQ(settings.paperWidth, c.width);
  EXPECT_EQ(settings.paperHeight, c.height);
  EXPECT_EQ(settings.pixelWidth, 0);
  EXPECT_EQ(settings.pixelHeight, 0);
}

const std::string kArea = "A4:\t12\t12\t583\t830\n";
const std::string kDimension = "A4:\t595\t842\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, PaperGeometryTest,
    testing::Values(
        GeometryCase{"both files hold the page size", kArea, kDimension, 0, 595, 842},
        GeometryCase{"among other lines", "# area\nLetter:\t1\t2\t3\t4\n" + kArea + "Legal:\t1\n",
                     "# size\nLetter:\tx\n" + kDimension + "Legal:\n", 0, 595, 842},
        GeometryCase{"any white space, text after the height ignored", "A4: 1  2\t3 \t 4\n",
                     "A4:   595 \t842 x y\n", 0, 595, 842},
        GeometryCase{"A4:x matches", "A4:x\t1\t2\t3\t4\n", "A4:x\t600\t800\n", 0, 600, 800},
        GeometryCase{"first matching line wins", kArea, "A4:\t1\t2\nA4:\t3\t4\n", 0, 1, 2},
        GeometryCase{"ImagingArea without the line", "Letter:\t1\t2\t3\t4\n", kDimension, 0, 595,
                     842},
        GeometryCase{"empty ImagingArea", "", kDimension, 0, 595, 842},
        GeometryCase{"ImagingArea line starting with a blank does not match", " A4:\t1\t2\t3\n",
                     kDimension, 0, 595, 842},
        GeometryCase{"PaperDimension without the line", kArea, "Letter:\t612\t792\n", 7},
        GeometryCase{"neither file holds the line", "Letter:\t1\t2\t3\t4\n", "Letter:\t1\t2\n", 7},
        GeometryCase{"PaperDimension line starting with a blank does not match", kArea,
                     " A4:\t595\t842\n", 7},
        GeometryCase{"PaperDimension line starting with a tab does not match", kArea,
                     "\tA4:\t595\t842\n", 7},
        GeometryCase{"A4 without colon does not match", kArea, "A4\t595\t842\n", 7},
        GeometryCase{"A4Rotated: does not match", kArea, "A4Rotated:\t842\t595\n", 7}),
    CaseName<GeometryCase>);

INSTANTIATE_TEST_SUITE_P(
    Faults, PaperGeometryTest,
    testing::Values(
        GeometryCase{"ImagingArea missing", std::nullopt, kDimension, 1},
        GeometryCase{"PaperDimension missing", kArea, std::nullopt, 1},
        GeometryCase{"PaperDimension missing, ImagingArea without the line", "", std::nullopt, 1},
        GeometryCase{"ImagingArea line with three numbers", "A4:\t1\t2\t3\n", kDimension, 13},
        GeometryCase{"ImagingArea line with a word for a number", "A4:\t1\tx\t3\t4\n", kDimension,
                     13},
        GeometryCase{"first matching ImagingArea line malformed", "A4:\t1\n" + kArea, kDimension,
                     13},
        // PaperDimension is never opened after a malformed ImagingArea line.
        GeometryCase{"malformed ImagingArea before missing PaperDimension", "A4:\n", std::nullopt,
                     13},
        GeometryCase{"PaperDimension line without height", kArea, "A4:\t595\n", 14},
        GeometryCase{"PaperDimension line with words", kArea, "A4:\tx\ty\n", 14},
        GeometryCase{"PaperDimension line without numbers, ImagingArea without the line", "",
                     "A4:\n", 14},
        GeometryCase{"first matching PaperDimension line malformed", kArea,
                     "A4:\t595\n" + kDimension, 14}),
    CaseName<GeometryCase>);

// A name word may be 255 characters long; a longer one on the page size's line is a format
// error of its file, on any other line it simply belongs to no page size.
INSTANTIATE_TEST_SUITE_P(
    NameWords, PaperGeometryTest,
    testing::Values(GeometryCase{"names of 255 characters",
                                 "A4:" + std::string(252, 'x') + "\t1\t2\t3\t4\n",
                                 "A4:" + std::string(252, 'x') + "\t595\t842\n", 0, 595, 842},
                    GeometryCase{"ImagingArea name of 256 characters",
                                 "A4:" + std::string(253, 'x') + "\t1\t2\t3\t4\n", kDimension, 13},
                    GeometryCase{"PaperDimension name of 256 characters", kArea,
                                 "A4:" + std::string(253, 'x') + "\t595\t842\n", 14},
                    GeometryCase{"long names on other lines",
                                 std::string(600, 'x') + ":\t1\t2\t3\t4\n" + kArea,
                                 std::string(600, 'x') + ":\t1\t2\n" + kDimension, 0, 595, 842}),
    CaseName<GeometryCase>);

}  // namespace
}  // namespace velmora
