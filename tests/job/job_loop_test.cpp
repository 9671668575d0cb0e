// Whole jobs through the filter program: inputs without a page, pages followed by garbage,
// rasters cut short or missing, PPM headers whose sizes differ from the job's, pages of no
// lines, multi-page colour and mono jobs compared byte for byte with the raster stream they
// must carry and decoded by libcups, blank pages left out, and the PJL framing. Every job that
// read a page must end with the ready line, status 0 and no spool file left in /tmp.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/pages.h"
#include "tests/support/printer_job.h"

namespace velmora {
namespace {

using test::PaperSize;
using test::PpmPage;
using test::PrintedJob;
using test::PrinterJob;
using test::RunJob;
using test::TestPrinter;

const std::string kPrintPhaseError = "Error: error occurred at print phase !!\n";
const std::string kNoPages = "ERROR: No pages found!\n";
const std::string kReadingFailed = "ERROR:   Reading pixels failed\n";
const std::string kReady(test::kReadyLine);

std::string Input(const PaperSize& paper, const std::vector<std::string>& rasters) {
  std::string input;
  for (const std::string& raster : rasters) {
    input += PpmPage(paper.pixelWidth, paper.pixelHeight, raster);
  }
  return input;
}

std::vector<std::string> RandomPages(const PaperSize& paper, int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> pages;
  for (int i = 0; i < count; ++i) {
    // Few values per byte: runs and literal stretches both occur.
    pages.push_back(test::RandomRgb(paper.pixelWidth, paper.pixelHeight, random, 3));
  }
  return pages;
}

std::vector<test::RasterPage> CupsPages(const PrinterJob& job) {
  std::vector<test::RasterPage> pages;
  std::string error;
  EXPECT_TRUE(test::CupsDecodeRasterStream(job.raster, &pages, &error)) << error;
  return pages;
}

// --- Inputs without a page ----------------------------------------------------------------

struct NoPageCase {
  const char* label;
  std::string input;
  std::string err;
};

void PrintTo(const NoPageCase& c, std::ostream* os) {
  *os << c.label;
}

class NoPageTest : public testing::TestWithParam<NoPageCase> {};

TEST_P(NoPageTest, EndsWithNoPagesFoundAndStatusOne) {
  const NoPageCase& c = GetParam();
  TestPrinter printer;
  const test::FilterRun run = RunJob(printer, c.input);
  EXPECT_EQ(run.result.exitCode, 1);
  EXPECT_EQ(run.result.err, c.err);
  EXPECT_EQ(run.result.out, "");
  EXPECT_EQ(run.leftSpoolFiles, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NoPageTest,
    testing::Values(NoPageCase{"empty input", "", kNoPages},
                    NoPageCase{"P5 page", "P5\n8 4\n255\n" + std::string(32, 'x'),
                               kPrintPhaseError + kNoPages},
                    NoPageCase{"text", "hello world\n", kPrintPhaseError + kNoPages},
                    NoPageCase{"header cut short", "P6\n8 ", kPrintPhaseError + kNoPages}));

// --- Ends of the input --------------------------------------------------------------------

TEST(JobLoop, TwoGoodPagesFollowedByGarbageAreBothPrinted) {
  const PaperSize paper;
  TestPrinter printer;
  const std::vector<std::string> pages = RandomPages(paper, 2, 1);
  const test::FilterRun run = RunJob(printer, Input(paper, pages) + "not a header");
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kPrintPhaseError + kReady);
  EXPECT_TRUE(job.raster == test::ExpectedRasterStream(test::RasterSettings(paper, 2), pages));
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
}

TEST(JobLoop, RasterCutShortIsFilledWithBlack) {
  const PaperSize paper{"A4", 30, 7, 595, 842};
  TestPrinter printer({}, {paper});
  const std::vector<std::string> pages = RandomPages(paper, 2, 2);
  const std::size_t present = pages[1].size() / 2 + 5;
  std::string input = Input(paper, pages);
  input.resize(input.size() - (pages[1].size() - present));
  const test::FilterRun run = RunJob(printer, input);
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kReady);

  const std::string cut =
      pages[1].substr(0, present) + std::string(pages[1].size() - present, '\0');
  EXPECT_TRUE(job.raster ==
              test::ExpectedRasterStream(test::RasterSettings(paper, 2), {pages[0], cut}));
  const std::vector<test::RasterPage> decoded = CupsPages(job);
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_TRUE(decoded[1].pixels == cut);
}

TEST(JobLoop, HeaderAtTheEndOfTheInputPrintsNoPage) {
  const PaperSize paper;
  TestPrinter printer;
  const std::string header = PpmPage(paper.pixelWidth, paper.pixelHeight, "");
  {
    SCOPED_TRACE("first page");
    const test::FilterRun run = RunJob(printer, header);
    PrinterJob job;
    ASSERT_TRUE(PrintedJob(run, &job));
    EXPECT_EQ(run.result.err, kReadingFailed + kReady);
    EXPECT_EQ(job.raster, "") << "no spool file was made, not even the sync word is sent";
    EXPECT_EQ(job.trailer, test::kPlainTrailer);
  }
  {
    SCOPED_TRACE("second page");
    const std::vector<std::string> pages = RandomPages(paper, 1, 3);
    const test::FilterRun run = RunJob(printer, Input(paper, pages) + header);
    PrinterJob job;
    ASSERT_TRUE(PrintedJob(run, &job));
    EXPECT_EQ(run.result.err, kReadingFailed + kReady);
    EXPECT_TRUE(job.raster == test::ExpectedRasterStream(test::RasterSettings(paper, 2), pages));
    EXPECT_EQ(job.trailer, test::kPlainTrailer);
  }
}

TEST(JobLoop, SizesInThePpmHeaderAreNotUsed) {
  const PaperSize paper;
  TestPrinter printer;
  const std::vector<std::string> pages = RandomPages(paper, 3, 4);
  // Each page brings exactly the job's raster size, whatever its header says.
  const std::string input = PpmPage(1, 1, pages[0]) + PpmPage(4000, 3000, pages[1]) +
                            "P6 # comment\n2 2\n65535\n" + pages[2];
  const test::FilterRun run = RunJob(printer, input);
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kReady);
  EXPECT_TRUE(job.raster == test::ExpectedRasterStream(test::RasterSettings(paper, 2), pages));
}

TEST(JobLoop, PagesOfNoLinesSendNothing) {
  const PaperSize paper{"A4", 8, 0, 595, 842};
  TestPrinter printer({}, {paper});
  const test::FilterRun run = RunJob(printer, PpmPage(8, 0, "") + PpmPage(8, 0, ""));
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kReady);
  EXPECT_EQ(job.raster, "");
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
}

// --- Multi-page jobs ----------------------------------------------------------------------

struct MultiPageCase {
  const char* label;
  PaperSize paper;
  int pages;
  bool mono;
};

void PrintTo(const MultiPageCase& c, std::ostream* os) {
  *os << c.label;
}

class MultiPageTest : public testing::TestWithParam<MultiPageCase> {};

TEST_P(MultiPageTest, StreamHoldsEveryPageInOrder) {
  const MultiPageCase& c = GetParam();
  TestPrinter printer(c.mono ? std::vector<std::string>{"KXMonoColor=Mono"}
                             : std::vector<std::string>{"KXMonoColor=FullColor"},
                      {c.paper});
  std::vector<std::string> pages = RandomPages(c.paper, c.pages, 5);
  pages[1] = test::SolidRgb(c.paper.pixelWidth, c.paper.pixelHeight, 255, 255, 255);
  const test::FilterRun run = RunJob(printer, Input(c.paper, pages));
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kReady);

  const std::string expected =
      test::ExpectedRasterStream(test::RasterSettings(c.paper, c.mono ? 0 : 1), pages);
  EXPECT_EQ(job.raster.size(), expected.size());
  EXPECT_TRUE(job.raster == expected);
  const std::vector<test::RasterPage> decoded = CupsPages(job);
  ASSERT_EQ(decoded.size(), pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    EXPECT_EQ(decoded[i].width, static_cast<unsigned>(c.paper.pixelWidth));
    EXPECT_EQ(decoded[i].height, static_cast<unsigned>(c.paper.pixelHeight));
    EXPECT_EQ(decoded[i].bitsPerPixel, c.mono ? 8u : 24u);
    EXPECT_TRUE(decoded[i].pixels == (c.mono ? test::ReferenceGrayRaster(pages[i]) : pages[i]));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, MultiPageTest,
    testing::Values(MultiPageCase{"2 colour pages", PaperSize{"A4", 8, 4, 595, 842}, 2, false},
                    MultiPageCase{"3 colour pages", PaperSize{"A4", 150, 90, 595, 842}, 3, false},
                    MultiPageCase{"2 mono pages", PaperSize{"A4", 8, 4, 595, 842}, 2, true},
                    MultiPageCase{"3 mono pages", PaperSize{"A4", 301, 40, 595, 842}, 3, true},
                    MultiPageCase{"4 colour pages of one pixel", PaperSize{"A4", 1, 1, 595, 842}, 4,
                                  false}));

// --- Blank pages --------------------------------------------------------------------------

struct BlankCase {
  const char* pattern;  // per page: W white, C coloured, N white but for the last byte
  bool skip;            // KXSkipBlank=ON
};

void PrintTo(const BlankCase& c, std::ostream* os) {
  *os << c.pattern << (c.skip ? " skipping" : " printing") << " blank pages";
}

class BlankPagesTest : public testing::TestWithParam<BlankCase> {};

TEST_P(BlankPagesTest, WhitePagesAreLeftOutOnlyWhenAskedFor) {
  const BlankCase& c = GetParam();
  const PaperSize paper{"A4", 5, 3, 595, 842};  // 45 bytes: not a multiple of 4
  TestPrinter printer({c.skip ? "KXSkipBlank=ON" : "KXSkipBlank=OFF"}, {paper});
  std::mt19937 random(6);
  std::vector<std::string> pages;
  std::vector<std::string> printed;
  for (const char* kind = c.pattern; *kind != '\0'; ++kind) {
    std::string raster = test::SolidRgb(paper.pixelWidth, paper.pixelHeight, 255, 255, 255);
    if (*kind == 'C') raster = test::RandomRgb(paper.pixelWidth, paper.pixelHeight, random);
    if (*kind == 'N') raster.back() = '\xFE';
    pages.push_back(raster);
    if (!c.skip || *kind != 'W') printed.push_back(raster);
  }
  const test::FilterRun run = RunJob(printer, Input(paper, pages));
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, kReady);
  EXPECT_TRUE(job.raster == test::ExpectedRasterStream(test::RasterSettings(paper, 2), printed))
      << test::Hex(job.raster.substr(0, 8));
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
}

INSTANTIATE_TEST_SUITE_P(Patterns, BlankPagesTest,
                         testing::Values(BlankCase{"CWC", true}, BlankCase{"WCC", true},
                                         BlankCase{"CCW", true}, BlankCase{"WWW", true},
                                         BlankCase{"W", true}, BlankCase{"WNW", true},
                                         BlankCase{"CWC", false}));

// --- PJL framing --------------------------------------------------------------------------

TEST(JobFraming, DefaultSettingsWithoutEnvironment) {
  const PaperSize paper;
  TestPrinter printer;
  const test::FilterRun run = RunJob(printer, Input(paper, RandomPages(paper, 1, 7)));
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(job.header, test::kDefaultPjlHeader);
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
  EXPECT_EQ(job.trailer.size(), 19u);
}

TEST(JobFraming, SettingsAndJobAttributesReachTheHeaderAndTrailer) {
  const PaperSize paper{"Legal", 6, 5, 612, 1008};
  TestPrinter printer(
      {"PageSize=Legal", "MediaType=Thick", "InputSlot=Manual", "KXResolution=Normal",
       "KXMonoColor=Mono", "KXColorMatching=Vivid", "KXGray=ON", "Brightness=-5", "Contrast=3",
       "BlueKey=-12", "KXDuplex=DuplexNoTumble", "TonerSaveMode=ON",
       "KXImproveOutput=KXFixIntensity"},
      {paper});
  const std::vector<std::string> pages = RandomPages(paper, 2, 8);
  const test::FilterRun run = RunJob(
      printer, Input(paper, pages),
      {{"PASSWORD", "1234"}, {"OWNER", "carol"}, {"TITLE", "Plan \"B\"\n"}, {"OUTPUTTRAY", "OFF"}});
  PrinterJob job;
  ASSERT_TRUE(PrintedJob(run, &job));
  EXPECT_EQ(job.header, std::string(test::kUel) +
                            "@PJL \n"
                            "@PJL SET HOLD=STORE\n"
                            "@PJL SET HOLDTYPE=PRIVATE\n"
                            "@PJL SET HOLDKEY=1234\n"
                            "@PJL SET USERNAME=\"carol\"\n"
                            "@PJL SET JOBNAME=\"Plan 'B' \"\n"
                            "@PJL SET LOGINUSER=\"carol\"\n"
                            "@PJL JOB NAME=\"Plan 'B' \"\n"
                            "@PJL SET STRINGCODESET=UTF8\n"
                            "@PJL SET PAPER=LEGAL\n"
                            "@PJL SET RENDERMODE=GRAYSCALE\n"
                            "@PJL SET COLORADAPT=OFF\n"
                            "@PJL SET ECONOMODE=ON\n"
                            "@PJL SET APTMODE=OFF\n"
                            "@PJL SET DUPLEX=ON\n"
                            "@PJL SET BINDING=LONGEDGE\n"
                            "@PJL SET MEDIATYPE=THICK\n"
                            "@PJL SET MANUALFEED=ON\n"
                            "@PJL SET OUTBIN=UPPER\n"
                            "@PJL SET FINISH=NONE\n"
                            "@PJL SET LESSPAPERCURL=OFF\n"
                            "@PJL SET FIXINTENSITYUP=ON\n"
                            "@PJL SET COLORMODE=VIVID\n"
                            "@PJL SET IMPROVEGRAY=ON\n"
                            "@PJL SET UCRGCRFORIMAGE=OFF\n"
                            "@PJL SET BRIGHTNESS=-5\n"
                            "@PJL SET CONTRAST=3\n"
                            "@PJL SET DENSITYRED=0\n"
                            "@PJL SET DENSITYGREEN=0\n"
                            "@PJL SET DENSITYBLUE=-12\n"
                            "@PJL SET FIDELITY=TRUE\n"
                            "@PJL ENTER LANGUAGE=PWGRASTER\n");
  EXPECT_EQ(job.trailer, std::string(test::kUel) + "@PJL EOJ NAME=\"Plan 'B' \"\n" +
                             std::string(test::kUel) + "\n");
  EXPECT_TRUE(job.raster == test::ExpectedRasterStream(test::RasterSettings(paper, 0), pages));
}

}  // namespace
}  // namespace velmora
