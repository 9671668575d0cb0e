// Page spool files: their names, owner-only creation that never writes through a name planted
// in /tmp (a link or an old file is replaced, a name that cannot be taken fails the page),
// the feeding of each file into the gzip stream one page behind, the end of the stream with
// and without a spool file, and whole jobs whose spool files are planted or cannot be written.
#include "stream/spool_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "job/back_end.h"
#include "job/page_state.h"
#include "settings/job_settings.h"
#include "stream/compression.h"
#include "stream/output.h"
#include "tests/support/pages.h"
#include "tests/support/printer_job.h"

namespace velmora {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string SpoolPath(std::int32_t number) {
  char path[kSpoolPathSize];
  FormatSpoolPath(path, number);
  return path;
}

// A spool file's mode bits, or -1 when the name is not a regular file.
int RegularFileMode(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A directory with a file in it: a name that neither unlink nor an exclusive create can take.
void MakeNonEmptyDirectory(const std::string& path) {
  ASSERT_EQ(::mkdir(path.c_str(), 0700), 0) << path;
  WriteFile(path + "/inside", "x");
}

// The spool functions of this process with the printer stream in memory.
class SpoolFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    gCompression = {};
    counters_.spoolPageNumber = 0;
    state_ = PageState{0, &counters_, 0};
    out_ = ::open_memstream(&data_, &size_);
    ASSERT_NE(out_, nullptr);
    SetOutputStream(out_);
    InitCompression();
    scratch_ = test::MakeScratchDir("spool");
    oldMask_ = ::umask(0);  // the file's own mode shows, not the process's mask
  }
  void TearDown() override {
    ::umask(oldMask_);
    CloseCurrentSpoolFile();
    if (!ended_) EndCompression();
    SetOutputStream(nullptr);
    std::fclose(out_);
    std::free(data_);
    gCompression = {};
    for (std::int32_t number = 1; number <= 4; ++number) {
      const std::string path = SpoolPath(number);
      if (IsDirectory(path)) {
        test::RemoveTree(path);
      } else {
        ::unlink(path.c_str());
      }
    }
    test::RemoveTree(scratch_);
  }

  // One page's spool data, written into the file that OpenPageSpool opened.
  void SpoolPage(const std::string& bytes) {
    ASSERT_NE(currentSpoolFile, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), currentSpoolFile), bytes.size());
    CloseCurrentSpoolFile();
  }

  // Ends the stream as EndJob does and returns what it inflates to.
  std::string FinishAndInflate() {
    FinishSpoolStream(&state_);
    ended_ = true;
    std::fflush(out_);
    std::string inflated;
    std::size_t consumed = 0;
    std::string error;
    EXPECT_TRUE(test::Gunzip(std::string(data_, size_), &inflated, &consumed, &error)) << error;
    EXPECT_EQ(consumed, size_);
    return inflated;
  }

  PageCounters counters_{};
  PageState state_{};
  std::string scratch_;

 private:
  std::FILE* out_ = nullptr;
  char* data_ = nullptr;
  std::size_t size_ = 0;
  bool ended_ = false;
  mode_t oldMask_ = 0;
};

TEST_F(SpoolFilesTest, NamesCarryTheProcessIdAndStayInTmpWhateverTmpdirSays) {
  char path[kSpoolPathSize];
  FormatSpoolPath(path, 12);
  EXPECT_EQ(std::string(path), "/tmp/ec_tmppage_" + std::to_string(::getpid()) + "_12");
  FormatSpoolPath(path, -3);
  EXPECT_EQ(std::string(path), "/tmp/ec_tmppage_" + std::to_string(::getpid()) + "_-3");

  ::setenv("TMPDIR", scratch_.c_str(), 1);
  const int status = OpenPageSpool(&state_);
  ::unsetenv("TMPDIR");
  ASSERT_EQ(status, 0);
  EXPECT_EQ(RegularFileMode(SpoolPath(1)), 0600);
}

TEST_F(SpoolFilesTest, CreateSpoolFileMakesAnOwnerOnlyFileForReadingAndWriting) {
  const std::string path = SpoolPath(3);
  std::FILE* file = CreateSpoolFile(path.c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(RegularFileMode(path), 0600);
  ASSERT_EQ(std::fputs("written", file), 1);
  std::rewind(file);
  char back[8] = {};
  EXPECT_EQ(std::fread(back, 1, 7, file), 7u);
  EXPECT_STREQ(back, "written");
  std::fclose(file);
}

TEST_F(SpoolFilesTest, EachPageIsFedAndDeletedWhenTheNextPageStarts) {
  ASSERT_EQ(OpenPageSpool(&state_), 0);
  EXPECT_EQ(counters_.spoolPageNumber, 1);
  SpoolPage("one");
  EXPECT_EQ(ReadFile(SpoolPath(1)), "RaS2one");

  ASSERT_EQ(OpenPageSpool(&state_), 0);
  EXPECT_EQ(counters_.spoolPageNumber, 2);
  EXPECT_FALSE(test::PathExists(SpoolPath(1))) << "spool file 1 was not deleted after feeding";
  EXPECT_EQ(RegularFileMode(SpoolPath(2)), 0600);
  SpoolPage("two");

  ASSERT_EQ(OpenPageSpool(&state_), 0);
  SpoolPage("");  // a skipped page leaves an empty file
  EXPECT_EQ(ReadFile(SpoolPath(3)), "");

  EXPECT_EQ(FinishAndInflate(), "RaS2onetwo");
  for (std::int32_t number = 1; number <= 3; ++number) {
    EXPECT_FALSE(test::PathExists(SpoolPath(number))) << number;
  }
}

TEST_F(SpoolFilesTest, EndOfJobWithoutASpoolFileStillEndsTheStream) {
  EXPECT_EQ(FinishAndInflate(), "");
}

// What may already stand at the name of spool file 1.
enum class Planted { kLinkToVictim, kDanglingLink, kOldFile };

void PrintTo(Planted planted, std::ostream* os) {
  *os << (planted == Planted::kLinkToVictim   ? "link to a victim file"
          : planted == Planted::kDanglingLink ? "dangling link"
                                              : "old regular file");
}

class SpoolPlantedTest : public SpoolFilesTest, public testing::WithParamInterface<Planted> {};

TEST_P(SpoolPlantedTest, ReplacesThePlantedNameWithANewFile) {
  const std::string path = SpoolPath(1);
  const std::string victim = scratch_ + "/victim";
  switch (GetParam()) {
    case Planted::kLinkToVictim:
      WriteFile(victim, "victim data");
      ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
      break;
    case Planted::kDanglingLink:
      ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
      break;
    case Planted::kOldFile:
      WriteFile(path, "old data of an earlier process");
      ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
      break;
  }

  ASSERT_EQ(OpenPageSpool(&state_), 0);
  SpoolPage("page");
  EXPECT_EQ(RegularFileMode(path), 0600);
  EXPECT_EQ(ReadFile(path), "RaS2page");
  if (GetParam() == Planted::kLinkToVictim) {
    EXPECT_EQ(ReadFile(victim), "victim data");
  } else {
    EXPECT_FALSE(test::PathExists(victim));
  }
  EXPECT_EQ(FinishAndInflate(), "RaS2page");
}

INSTANTIATE_TEST_SUITE_P(Names, SpoolPlantedTest,
                         testing::Values(Planted::kLinkToVictim, Planted::kDanglingLink,
                                         Planted::kOldFile));

TEST_F(SpoolFilesTest, NameThatCannotBeTakenFailsThePageAndKeepsTheEarlierOnes) {
  ASSERT_EQ(OpenPageSpool(&state_), 0);
  SpoolPage("one");
  MakeNonEmptyDirectory(SpoolPath(2));

  JobSettings settings = {};
  EXPECT_EQ(StartPage(&settings, &state_), 1);
  EXPECT_EQ(counters_.spoolPageNumber, 1) << "the counter moved on to a file that does not exist";
  EXPECT_EQ(currentSpoolFile, nullptr);
  EXPECT_TRUE(test::PathExists(SpoolPath(1))) << "page 1 was fed although page 2 failed";
  EXPECT_TRUE(IsDirectory(SpoolPath(2)));

  EXPECT_EQ(FinishAndInflate(), "RaS2one");
  EXPECT_FALSE(test::PathExists(SpoolPath(1)));
  EXPECT_TRUE(test::PathExists(SpoolPath(2) + "/inside"));
}

TEST_F(SpoolFilesTest, FirstPageThatCannotBeSpooledLeavesAnEmptyStream) {
  MakeNonEmptyDirectory(SpoolPath(1));
  EXPECT_EQ(OpenPageSpool(&state_), 1);
  EXPECT_EQ(counters_.spoolPageNumber, 0);
  EXPECT_EQ(currentSpoolFile, nullptr);
  EXPECT_EQ(FinishAndInflate(), "");
}

// --- Whole jobs ---------------------------------------------------------------------------

constexpr int kWidth = 8;
constexpr int kHeight = 4;

std::vector<std::string> ThreePages() {
  return {test::SolidRgb(kWidth, kHeight, 200, 10, 10),
          test::SolidRgb(kWidth, kHeight, 10, 200, 10),
          test::SolidRgb(kWidth, kHeight, 10, 10, 200)};
}

std::string PpmInput(const std::vector<std::string>& rasters, int width, int height) {
  std::string input;
  for (const std::string& raster : rasters)
    input += test::PpmPage(width, height, raster);
  return input;
}

struct PlantedJobCase {
  const char* label;
  std::int32_t number;  // the spool file name planted before the job starts
  Planted link;         // kLinkToVictim or kOldFile; ignored when `directory`
  bool directory;       // a non-empty directory: that page cannot be spooled
  int pagesPrinted;
};

void PrintTo(const PlantedJobCase& c, std::ostream* os) {
  *os << c.label;
}

class PlantedJobTest : public testing::TestWithParam<PlantedJobCase> {};

TEST_P(PlantedJobTest, JobPrintsWhatCouldBeSpooled) {
  const PlantedJobCase& c = GetParam();
  test::TestPrinter printer;
  const std::string victim = printer.dir() + "/victim";
  WriteFile(victim, "victim data");
  std::string planted;
  test::ChildSetup setup;
  setup.beforeStart = [&](pid_t pid) {
    planted = "/tmp/ec_tmppage_" + std::to_string(pid) + "_" + std::to_string(c.number);
    if (c.directory) {
      MakeNonEmptyDirectory(planted);
    } else if (c.link == Planted::kLinkToVictim) {
      ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    } else {
      WriteFile(planted, "old data");
    }
  };
  const std::vector<std::string> pages = ThreePages();
  test::FilterRun run =
      test::RunFilterControlled(printer.Args(), PpmInput(pages, kWidth, kHeight), {}, setup);
  if (c.directory) {
    ASSERT_EQ(run.leftSpoolFiles, std::vector<std::string>{planted});
    EXPECT_TRUE(test::PathExists(planted + "/inside"));
    test::RemoveTree(planted);
    run.leftSpoolFiles.clear();
  }

  test::PrinterJob job;
  ASSERT_TRUE(test::PrintedJob(run, &job));
  const std::string failed =
      c.directory ? "ERROR: Initializing the printer for new page failed.\n" : "";
  EXPECT_EQ(run.result.err, failed + std::string(test::kReadyLine));
  const JobSettings settings = test::RasterSettings(test::PaperSize{}, 2);
  const std::vector<std::string> printed(pages.begin(), pages.begin() + c.pagesPrinted);
  // Without spool file 1 not even the sync word reaches the stream.
  const std::string expected =
      c.pagesPrinted == 0 ? "" : test::ExpectedRasterStream(settings, printed);
  EXPECT_TRUE(job.raster == expected) << test::Hex(job.raster);
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
  EXPECT_EQ(ReadFile(victim), "victim data");
}

INSTANTIATE_TEST_SUITE_P(
    Names, PlantedJobTest,
    testing::Values(PlantedJobCase{"link at spool file 1", 1, Planted::kLinkToVictim, false, 3},
                    PlantedJobCase{"link at spool file 3", 3, Planted::kLinkToVictim, false, 3},
                    PlantedJobCase{"old file at spool file 2", 2, Planted::kOldFile, false, 3},
                    PlantedJobCase{"directory at spool file 1", 1, Planted::kOldFile, true, 0},
                    PlantedJobCase{"directory at spool file 2", 2, Planted::kOldFile, true, 1},
                    PlantedJobCase{"directory at spool file 3", 3, Planted::kOldFile, true, 2}));

// A pattern that the line compression cannot shorten (no two neighbours equal, no two
// neighbouring lines equal) but gzip can: large spool files, a small printer job.
std::string StripedRgb(int width, int height) {
  std::string raster;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      raster += static_cast<char>(x % 7 * 30);
      raster += static_cast<char>(y % 5 * 50);
      raster += static_cast<char>((x + y) % 3 * 80);
    }
  }
  return raster;
}

TEST(SpoolWriteFailure, PageThatCannotBeSpooledEndsTheJob) {
  // Files of the filter may not grow past the limit: page 2's spool file is cut there.
  constexpr rlim_t kLimit = 16384;
  const test::PaperSize paper{"A4", 200, 100, 595, 842};
  test::TestPrinter printer({}, {paper});
  const std::vector<std::string> pages = {test::SolidRgb(200, 100, 1, 2, 3), StripedRgb(200, 100),
                                          test::SolidRgb(200, 100, 4, 5, 6)};
  const JobSettings settings = test::RasterSettings(paper, 2);
  const std::string full = test::ExpectedRasterStream(settings, pages);
  const std::string onePage = test::ExpectedRasterStream(settings, {pages[0]});
  ASSERT_GT(full.size(), onePage.size() + 2 * kLimit) << "page 2 must outgrow the limit";

  test::ChildSetup setup;
  setup.inChild = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  const test::FilterRun run =
      test::RunFilterControlled(printer.Args(), PpmInput(pages, 200, 100), {}, setup);
  ASSERT_LT(run.result.out.size(), kLimit) << "the printer job itself hit the limit";
  test::PrinterJob job;
  ASSERT_TRUE(test::PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, test::kReadyLine);
  // Page 1 whole, then what reached page 2's spool file; page 3 was never read.
  const std::size_t expectedSize = onePage.size() + kLimit;
  EXPECT_EQ(job.raster.size(), expectedSize);
  EXPECT_TRUE(job.raster == full.substr(0, expectedSize));
  EXPECT_EQ(job.trailer, test::kPlainTrailer);
}

}  // namespace
}  // namespace velmora
