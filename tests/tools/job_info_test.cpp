// velmora-jobinfo on printer jobs that the filter wrote: the summary of a good job, the pages
// it extracts, and the exit status of a damaged job and of a wrong command line.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/pages.h"
#include "tests/support/printer_job.h"
#include "tests/support/process.h"
#include "tests/support/test_printer.h"

#ifndef VELMORA_JOBINFO
#error "VELMORA_JOBINFO must name the velmora-jobinfo program"
#endif

namespace velmora::test {
namespace {

class JobInfo : public testing::Test {
 protected:
  // Prints two pages on a 6 x 3 pixel printer (mono when `mono`) into printer_.dir()/job.prn.
  std::string PrintJob(bool mono) {
    printer_.SetRc({mono ? "KXMonoColor=Mono" : "KXMonoColor=FullColor"});
    std::mt19937 random(7);
    pages_ = {RandomRgb(6, 3, random, 3), SolidRgb(6, 3, 0, 0, 255)};
    const FilterRun run = RunJob(printer_, PpmPage(6, 3, pages_[0]) + PpmPage(6, 3, pages_[1]));
    PrinterJob job;
    EXPECT_TRUE(PrintedJob(run, &job));
    const std::string path = printer_.dir() + "/job.prn";
    WriteFile(path, run.result.out);
    return path;
  }

  ProcessResult Info(const std::vector<std::string>& args) {
    ProcessOptions options;
    options.args = args;
    return RunProcess(VELMORA_JOBINFO, options);
  }

  TestPrinter printer_{{}, {PaperSize{"A4", 6, 3, 595, 842}}};
  std::vector<std::string> pages_;
};

TEST_F(JobInfo, SummarisesAGoodJobAndExtractsItsPages) {
  const std::string path = PrintJob(false);
  const std::string prefix = printer_.dir() + "/page";
  const ProcessResult result = Info({"--extract", prefix, path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("@PJL SET RENDERMODE=COLOR"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("pages: 2\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("page 2: 6 x 3 pixels, 24 bits sRGB, 600 x 600 dpi, paper 595 x 842 "
                            "points, 1 line records"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(ReadFile(prefix + "-1.ppm"), PpmPage(6, 3, pages_[0]));
  EXPECT_EQ(ReadFile(prefix + "-2.ppm"), PpmPage(6, 3, pages_[1]));
}

TEST_F(JobInfo, ExtractsMonoPagesAsGrayImages) {
  const std::string path = PrintJob(true);
  const std::string prefix = printer_.dir() + "/gray";
  const ProcessResult result = Info({"--extract", prefix, path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("8 bits sGray"), std::string::npos) << result.out;
  EXPECT_EQ(ReadFile(prefix + "-1.pgm"), "P5\n6 3\n255\n" + ReferenceGrayRaster(pages_[0]));
}

TEST_F(JobInfo, ADamagedJobShowsWhatCouldBeReadAndFails) {
  const std::string good = ReadFile(PrintJob(false));
  const std::string path = printer_.dir() + "/cut.prn";
  WriteFile(path, good.substr(0, good.size() - 40));  // the gzip stream loses its end
  const ProcessResult result = Info({path});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("the gzip stream is damaged or incomplete"), std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("PJL header:"), std::string::npos);
}

TEST_F(JobInfo, WrongCommandLinesAndUnreadableFiles) {
  EXPECT_EQ(Info({}).exitCode, 2);
  EXPECT_EQ(Info({"--extract"}).exitCode, 2);
  EXPECT_EQ(Info({"a.prn", "b.prn"}).exitCode, 2);
  const ProcessResult missing = Info({printer_.dir() + "/missing.prn"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace velmora::test
