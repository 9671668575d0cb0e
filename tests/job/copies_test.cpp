// Uncollated copies. Through the filter: the order and content of the copies, each page read
// from the input once, the copy file under TMPDIR (its name, mode and lifetime), the Copies
// and Collate values that make no copies, and a copy file that cannot be created. In the
// process: the copy file's name format and its creation in TMPDIR or /tmp.
#include "job/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/support/cancel_job.h"
#include "tests/support/pages.h"
#include "tests/support/process.h"
#include "tests/support/raster_decode.h"
#include "tests/support/test_printer.h"

namespace velmora::test {
namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 10;

std::vector<PaperSize> Paper() {
  return {PaperSize{"A4", kWidth, kHeight, 595, 842}};
}

// Distinct random rasters, one per page.
std::vector<std::string> Rasters(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> rasters;
  for (int i = 0; i < count; ++i)
    rasters.push_back(RandomRgb(kWidth, kHeight, random));
  return rasters;
}

std::string Ppm(const std::string& raster) {
  return PpmPage(kWidth, kHeight, raster);
}

std::string AllPages(const std::vector<std::string>& rasters) {
  std::string input;
  for (const std::string& raster : rasters)
    input += Ppm(raster);
  return input;
}

// The rasters that the pages of `out` carry, in order; every page must have the paper's size.
std::vector<std::string> PrintedRasters(const std::string& out) {
  PrinterJob job;
  std::string error;
  if (!SplitPrinterJob(out, &job, &error)) {
    ADD_FAILURE() << "printer job: " << error;
    return {};
  }
  EXPECT_EQ(out.find(kEnterLanguage), out.rfind(kEnterLanguage)) << "more than one PJL header";
  EXPECT_EQ(job.trailer, std::string(kUel) + std::string(kUel) + "\n");
  std::vector<RasterPage> pages;
  if (!DecodeRasterStream(job.raster, &pages, &error)) {
    ADD_FAILURE() << "raster stream: " << error;
    return {};
  }
  std::vector<std::string> rasters;
  for (const RasterPage& page : pages) {
    EXPECT_EQ(page.width, static_cast<std::uint32_t>(kWidth));
    EXPECT_EQ(page.height, static_cast<std::uint32_t>(kHeight));
    rasters.push_back(page.pixels);
  }
  return rasters;
}

// Each raster `copies` times in a row.
std::vector<std::string> Repeated(const std::vector<std::string>& rasters, int copies) {
  std::vector<std::string> expected;
  for (const std::string& raster : rasters)
    expected.insert(expected.end(), copies, raster);
  return expected;
}

const std::string kInfoLine = "INFO: The printer is ready to print.\n";

// A job whose copy files go to a scratch folder of the test.
class CopiesJob : public testing::Test {
 protected:
  void SetUp() override { tmpdir_ = MakeScratchDir("copies_tmpdir"); }
  void TearDown() override { RemoveTree(tmpdir_); }

  ProcessOptions Options(const TestPrinter& printer, std::optional<std::string> tmpdir) const {
    ProcessOptions options;
    options.args = printer.Args();
    options.env["TMPDIR"] = std::move(tmpdir);
    return options;
  }

  void ExpectNoSpoolFile(pid_t pid) {
    const std::vector<std::string> left = SpoolFilesOf(pid);
    EXPECT_TRUE(left.empty()) << left.size() << " spool files left, e.g. " << left.front();
    RemoveFiles(left);
  }

  std::string tmpdir_;
};

TEST_F(CopiesJob, ThreeCopiesOfEachPageFromOneReadOfIt) {
  TestPrinter printer({"Copies=3", "Collate=OFF"}, Paper());
  const std::vector<std::string> rasters = Rasters(2, 11);
  RunningProcess filter(FilterProgram(), Options(printer, tmpdir_));

  // Each page arrives in one piece. Once its three passes are done the filter must wait for
  // the next page header (a plain read, SIGTERM ignored), not for more raster (a ppoll
  // inside a pass), and the page's copy file must be gone.
  for (int page = 0; page < 2; ++page) {
    SCOPED_TRACE("page " + std::to_string(page + 1));
    ASSERT_TRUE(filter.Write(Ppm(rasters[static_cast<std::size_t>(page)])));
    EXPECT_EQ(WaitUntilWaitingForInput(filter), kReadSyscall);
    EXPECT_EQ(FolderEntries(tmpdir_), std::vector<std::string>{});
  }
  const ProcessResult result = filter.Wait();

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, kInfoLine);
  EXPECT_EQ(PrintedRasters(result.out), Repeated(rasters, 3));
  EXPECT_EQ(FolderEntries(tmpdir_), std::vector<std::string>{});
  ExpectNoSpoolFile(filter.pid());
}

TEST_F(CopiesJob, EachPageHasItsOwnCopyFileInTmpdirWhileItIsRead) {
  TestPrinter printer({"Copies=2", "Collate=OFF"}, Paper());
  const std::vector<std::string> rasters = Rasters(2, 12);
  const std::string page1 = Ppm(rasters[0]);
  const std::string page2 = Ppm(rasters[1]);
  RunningProcess filter(FilterProgram(), Options(printer, tmpdir_));

  // The copy file exists, still empty, while pass 0 waits for the rest of the page.
  std::vector<std::string> names;
  const std::vector<std::string> pieces = {page1.substr(0, page1.size() / 2),
                                           page1.substr(page1.size() / 2) + page2.substr(0, 100),
                                           page2.substr(100)};
  for (std::size_t piece = 0; piece < 2; ++piece) {
    SCOPED_TRACE("page " + std::to_string(piece + 1));
    ASSERT_TRUE(filter.Write(pieces[piece]));
    ASSERT_EQ(WaitUntilWaitingForInput(filter), kPpollSyscall);
    const std::vector<std::string> entries = FolderEntries(tmpdir_);
    ASSERT_EQ(entries.size(), 1u) << "the previous page's copy file must be gone";
    EXPECT_TRUE(IsCopyFileName(entries[0])) << entries[0];
    struct stat info = {};
    ASSERT_EQ(::stat((tmpdir_ + "/" + entries[0]).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_size, 0);
    names.push_back(entries[0]);
  }
  EXPECT_NE(names[0], names[1]);
  ASSERT_TRUE(filter.Write(pieces[2]));
  const ProcessResult result = filter.Wait();

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, kInfoLine);
  EXPECT_EQ(PrintedRasters(result.out), Repeated(rasters, 2));
  EXPECT_EQ(FolderEntries(tmpdir_), std::vector<std::string>{});
  ExpectNoSpoolFile(filter.pid());
}

struct PassesCase {
  const char* copies;
  const char* collate;
  int passes;
};

void PrintTo(const PassesCase& c, std::ostream* os) {
  *os << "Copies=" << c.copies << " Collate=" << c.collate << " -> " << c.passes << " passes";
}

class PassesPerPage : public CopiesJob, public testing::WithParamInterface<PassesCase> {};

TEST_P(PassesPerPage, SendsEachPageThatManyTimes) {
  const PassesCase& c = GetParam();
  TestPrinter printer({std::string("Copies=") + c.copies, std::string("Collate=") + c.collate},
                      Paper());
  const std::vector<std::string> rasters = Rasters(2, 13);
  // Without copies TMPDIR names a missing folder, so any attempt at a copy file would show
  // as "Unable to create a temporay file" and a job cut short.
  ProcessOptions options = Options(printer, c.passes > 1 ? tmpdir_ : tmpdir_ + "/missing");
  options.input = AllPages(rasters);
  const ProcessResult result = RunProcess(FilterProgram(), options);

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, kInfoLine);
  EXPECT_EQ(PrintedRasters(result.out), Repeated(rasters, c.passes));
  EXPECT_EQ(FolderEntries(tmpdir_), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(CopiesAndCollate, PassesPerPage,
                         testing::Values(PassesCase{"2", "OFF", 2}, PassesCase{"3", "ON", 1},
                                         PassesCase{"2", "ON", 1}, PassesCase{"1", "OFF", 1},
                                         PassesCase{"0", "OFF", 1}, PassesCase{"-1", "OFF", 1}));

TEST_F(CopiesJob, WithoutACopyFileOneCopyOfPageOneEndsTheJob) {
  WriteFile(tmpdir_ + "/file", "not a folder");
  for (const std::string& tmpdir : {tmpdir_ + "/missing", tmpdir_ + "/file"}) {
    SCOPED_TRACE("TMPDIR=" + tmpdir);
    TestPrinter printer({"Copies=2", "Collate=OFF"}, Paper());
    const std::vector<std::string> rasters = Rasters(3, 14);
    ProcessOptions options = Options(printer, tmpdir);
    options.input = AllPages(rasters);
    const ProcessResult result = RunProcess(FilterProgram(), options);

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "ERROR: Unable to create a temporay file\n" + kInfoLine);
    EXPECT_EQ(PrintedRasters(result.out), std::vector<std::string>{rasters[0]});
  }
}

// The copy file's name and creation, in the process.

struct NameCase {
  const char* dir;
  long seconds;
  long microseconds;
  std::size_t size;
  const char* expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << "dir \"" << c.dir << "\" " << c.seconds << "s " << c.microseconds << "us size " << c.size;
}

class CopyFileName : public testing::TestWithParam<NameCase> {};

TEST_P(CopyFileName, IsTheFolderThenSecondsAndMicrosecondsInHex) {
  const NameCase& c = GetParam();
  char buffer[64];
  std::memset(buffer, 'X', sizeof buffer);
  FormatCopyFileName(buffer, c.size, c.dir, c.seconds, c.microseconds);
  EXPECT_STREQ(buffer, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CopyFileName,
    testing::Values(NameCase{"/tmp", 0x6650a1b2, 0xf423f, 1024, "/tmp/6650a1b2f423f"},
                    NameCase{"/tmp", 0, 0, 1024, "/tmp/0000000000000"},
                    NameCase{"/var/spool", 0xab, 0x1, 1024, "/var/spool/000000ab00001"},
                    // TMPDIR set but empty: the root folder.
                    NameCase{"", 0x6650a1b2, 0x2a, 1024, "/6650a1b20002a"},
                    // More than 8 digits of seconds are all written.
                    NameCase{"/t", 0x123456789, 0x10, 1024, "/t/12345678900010"},
                    // At most size - 2 characters are kept.
                    NameCase{"/tmp", 0x6650a1b2, 0x2a, 10, "/tmp/665"},
                    NameCase{"/tmp", 0x6650a1b2, 0x2a, 19, "/tmp/6650a1b20002"},
                    NameCase{"/tmp", 0x6650a1b2, 0x2a, 20, "/tmp/6650a1b20002a"},
                    NameCase{"/tmp", 0x6650a1b2, 0x2a, 2, ""},
                    NameCase{"/tmp", 0x6650a1b2, 0x2a, 1, ""}));

// Restores TMPDIR after each test.
class CreateCopyFileTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv("TMPDIR")) saved_ = value;
    scratch_ = MakeScratchDir("create_copy_file");
  }
  void TearDown() override {
    if (saved_) {
      ::setenv("TMPDIR", saved_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    RemoveTree(scratch_);
  }

  std::optional<std::string> saved_;
  std::string scratch_;
};

// Checks that `fd` is a new, empty, owner-only file open for reading and writing.
void ExpectNewCopyFile(int fd) {
  struct stat info = {};
  ASSERT_EQ(::fstat(fd, &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_RDWR);
}

TEST_F(CreateCopyFileTest, WithoutTmpdirCreatesTheFileInTmp) {
  ::unsetenv("TMPDIR");
  char path[kCopyFilePathSize];
  const int fd = CreateCopyFile(path, sizeof path);
  ASSERT_GE(fd, 0);
  const std::string name = path;
  ExpectNewCopyFile(fd);
  ::close(fd);
  ::unlink(path);
  ASSERT_EQ(name.compare(0, 5, "/tmp/"), 0) << name;
  EXPECT_TRUE(IsCopyFileName(name.substr(5))) << name;
}

TEST_F(CreateCopyFileTest, CreatesOnlyNewFilesInTmpdir) {
  ::setenv("TMPDIR", scratch_.c_str(), 1);
  // Creations in quick succession meet names taken in the same microsecond and move on.
  std::set<std::string> names;
  std::vector<int> fds;
  for (int i = 0; i < 50; ++i) {
    char path[kCopyFilePathSize];
    const int fd = CreateCopyFile(path, sizeof path);
    ASSERT_GE(fd, 0) << "creation " << i;
    ExpectNewCopyFile(fd);
    fds.push_back(fd);
    const std::string name = path;
    ASSERT_EQ(name.substr(0, scratch_.size() + 1), scratch_ + "/");
    EXPECT_TRUE(IsCopyFileName(name.substr(scratch_.size() + 1))) << name;
    names.insert(name);
  }
  for (int fd : fds)
    ::close(fd);
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(FolderEntries(scratch_).size(), 50u);

  WriteFile(scratch_ + "/file", "");
  for (const std::string& unusable : {scratch_ + "/missing", scratch_ + "/file"}) {
    ::setenv("TMPDIR", unusable.c_str(), 1);
    char path[kCopyFilePathSize];
    EXPECT_EQ(CreateCopyFile(path, sizeof path), -1) << unusable;
  }
}

}  // namespace
}  // namespace velmora::test
