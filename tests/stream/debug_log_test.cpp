// Debug log: messages are appended and flushed to an owner-only file; a link planted at the
// log's fixed name makes the open fail (message on standard output, spool files removed,
// exit status 1) without touching the link's target; a printer stream that cannot be written
// (standard output on /dev/full) fills the log while the job still ends normally; a job
// without failures creates no log. These tests own the fixed log path (CTest runs them under
// a resource lock); a log that exists before a test is put aside and restored after it.
#include "stream/debug_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "job/page_state.h"
#include "stream/compression.h"
#include "stream/output.h"
#include "stream/spool_files.h"
#include "tests/support/pages.h"
#include "tests/support/printer_job.h"

namespace velmora {
namespace {

using test::ReadFile;
using test::WriteFile;

const std::string kLogPath = kDebugLogPath;
const std::string kOpenError = "\n!!! log file open error.!!! [/tmp/kx_lprng_debuglog.txt]\n";

int ModeOf(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

bool IsLink(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Sends this process's standard output to `path` (in a death-test child).
void RedirectStdout(const std::string& path) {
  std::fflush(stdout);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0 || ::dup2(fd, 1) < 0) std::_Exit(100);
  ::close(fd);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(line);
  return lines;
}

// In a death-test child: spools page 1 (noise) and starts page 2 with the printer stream on
// /dev/full, so that feeding page 1 logs a write error.
void SpoolTwoPagesOnAFullDevice(const std::string& pidFile, const std::string& out) {
  WriteFile(pidFile, std::to_string(::getpid()));
  RedirectStdout(out);
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) std::_Exit(101);
  std::setvbuf(full, nullptr, _IONBF, 0);
  SetOutputStream(full);
  gCompression = {};
  InitCompression();
  PageCounters counters{0};
  PageState state{0, &counters, 0};
  if (OpenPageSpool(&state) != 0) std::_Exit(102);
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i)
    std::fputc(static_cast<int>(random() & 0xFF), currentSpoolFile);
  CloseCurrentSpoolFile();
  OpenPageSpool(&state);
  std::_Exit(0);
}

class DebugLogTest : public testing::Test {
 protected:
  void SetUp() override {
    scratch_ = test::MakeScratchDir("debuglog");
    saved_ = kLogPath + ".saved-" + std::to_string(::getpid());
    struct stat info;
    if (::lstat(kLogPath.c_str(), &info) == 0) {
      ASSERT_EQ(std::rename(kLogPath.c_str(), saved_.c_str()), 0);
      hadLog_ = true;
    }
  }
  void TearDown() override {
    ::unlink(kLogPath.c_str());
    if (hadLog_) std::rename(saved_.c_str(), kLogPath.c_str());
    test::RemoveTree(scratch_);
  }

  // A link at the log's name to a victim file; returns the victim's path.
  std::string PlantLink() {
    const std::string victim = scratch_ + "/victim";
    WriteFile(victim, "victim data\n");
    EXPECT_EQ(::symlink(victim.c_str(), kLogPath.c_str()), 0);
    return victim;
  }

  std::string scratch_;

 private:
  std::string saved_;
  bool hadLog_ = false;
};

TEST_F(DebugLogTest, AppendsFlushedLinesToAnOwnerOnlyFile) {
  EXPECT_EXIT(
      {
        ::umask(0);
        const int count = DebugLog("deflate: %s\n", "boom");
        DebugLog("Write error\n");
        std::_Exit(count == 14 ? 0 : 2);  // no exit handlers: only the flushes count
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(kLogPath), "deflate: boom\nWrite error\n");
  EXPECT_EQ(ModeOf(kLogPath), 0600);

  EXPECT_EXIT(
      {
        DebugLog("deflateEnd: %s\n", "???");
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(kLogPath), "deflate: boom\nWrite error\ndeflateEnd: ???\n");
}

TEST_F(DebugLogTest, PlantedLinkMakesTheOpenFailAndTheProcessEnd) {
  const std::string victim = PlantLink();
  const std::string out = scratch_ + "/stdout";
  EXPECT_EXIT(
      {
        RedirectStdout(out);
        DebugLog("Write error\n");
        std::exit(0);
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EQ(ReadFile(out), kOpenError);
  EXPECT_EQ(ReadFile(victim), "victim data\n");
  EXPECT_TRUE(IsLink(kLogPath));
}

TEST_F(DebugLogTest, FailingLogRemovesTheSpoolFilesBeforeTheProcessEnds) {
  // A child spools page 1 and starts page 2 on a printer stream that cannot be written:
  // feeding page 1 fails, the log cannot be opened, and both spool files must go.
  const std::string victim = PlantLink();
  const std::string out = scratch_ + "/stdout";
  const std::string pidFile = scratch_ + "/pid";
  EXPECT_EXIT(SpoolTwoPagesOnAFullDevice(pidFile, out), testing::ExitedWithCode(1), "");
  EXPECT_EQ(ReadFile(out), kOpenError);
  EXPECT_EQ(ReadFile(victim), "victim data\n");
  const std::string pid = ReadFile(pidFile);
  ASSERT_FALSE(pid.empty());
  EXPECT_EQ(test::SpoolFilesLeftBy(static_cast<pid_t>(std::stol(pid))), std::vector<std::string>{});
}

// --- Whole jobs ---------------------------------------------------------------------------

// Two pages of noise: far more compressed data than the printer stream's buffer holds, so
// the writes really reach standard output.
std::string NoisyJob(const test::PaperSize& paper) {
  std::mt19937 random(3);
  std::string input;
  for (int page = 0; page < 2; ++page) {
    input += test::PpmPage(paper.pixelWidth, paper.pixelHeight,
                           test::RandomRgb(paper.pixelWidth, paper.pixelHeight, random));
  }
  return input;
}

// Runs the job with its printer stream on /dev/full.
test::FilterRun RunOnFullDevice(const test::TestPrinter& printer, const std::string& input) {
  test::ChildSetup setup;
  setup.stdoutPath = "/dev/full";
  setup.inChild = [] { ::umask(0); };
  return test::RunFilterControlled(printer.Args(), input, {}, setup);
}

TEST_F(DebugLogTest, OutputWriteErrorsAreLoggedAndTheJobEndsNormally) {
  const test::PaperSize paper{"A4", 100, 60, 595, 842};
  test::TestPrinter printer({}, {paper});
  const std::string input = NoisyJob(paper);

  const test::FilterRun first = RunOnFullDevice(printer, input);
  EXPECT_EQ(first.result.exitCode, 0) << first.result.err;
  EXPECT_EQ(first.result.err, test::kReadyLine);
  EXPECT_EQ(first.leftSpoolFiles, std::vector<std::string>{});
  EXPECT_EQ(ModeOf(kLogPath), 0600);
  const std::string log = ReadFile(kLogPath);
  const std::vector<std::string> lines = Lines(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Write error");
  for (const std::string& line : lines) {
    EXPECT_TRUE(line == "Write error" || line.rfind("deflate: ", 0) == 0 ||
                line.rfind("deflateEnd: ", 0) == 0)
        << line;
  }
  EXPECT_EQ(log.back(), '\n');

  // A second job appends to the same log.
  const test::FilterRun second = RunOnFullDevice(printer, input);
  EXPECT_EQ(second.result.exitCode, 0) << second.result.err;
  const std::string appended = ReadFile(kLogPath);
  ASSERT_GT(appended.size(), log.size());
  EXPECT_EQ(appended.substr(0, log.size()), log);
  EXPECT_EQ(appended.substr(log.size(), 12), "Write error\n");
}

TEST_F(DebugLogTest, JobWhoseLogIsAPlantedLinkEndsWithStatusOne) {
  const std::string victim = PlantLink();
  const test::PaperSize paper{"A4", 100, 60, 595, 842};
  test::TestPrinter printer({}, {paper});
  const test::FilterRun run = RunOnFullDevice(printer, NoisyJob(paper));
  EXPECT_EQ(run.result.exitCode, 1) << run.result.err;
  EXPECT_EQ(run.result.err.find(test::kReadyLine), std::string::npos);
  EXPECT_EQ(run.leftSpoolFiles, std::vector<std::string>{});
  EXPECT_EQ(ReadFile(victim), "victim data\n");
  EXPECT_TRUE(IsLink(kLogPath));
}

TEST_F(DebugLogTest, JobWithoutFailuresCreatesNoLog) {
  test::TestPrinter printer;
  const test::PaperSize paper;
  const test::FilterRun run = test::RunJob(
      printer, test::PpmPage(paper.pixelWidth, paper.pixelHeight,
                             test::SolidRgb(paper.pixelWidth, paper.pixelHeight, 9, 9, 9)));
  test::PrinterJob job;
  EXPECT_TRUE(test::PrintedJob(run, &job));
  EXPECT_FALSE(test::PathExists(kLogPath));
}

}  // namespace
}  // namespace velmora
