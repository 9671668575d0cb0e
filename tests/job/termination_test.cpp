// Cancellation by SIGTERM, through the filter as a process: the signal's default action
// before the first pass, no effect between passes, the exact printer stream of a job
// cancelled while it waits for a page's raster (what was written, 5768 zero bytes, the end of
// the gzip stream holding the whole pages sent so far, the trailer), no spool file left, a
// copy file left in place, and a stress run of cancellations at random moments.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/cancel_job.h"
#include "tests/support/pages.h"
#include "tests/support/process.h"
#include "tests/support/raster_decode.h"
#include "tests/support/test_printer.h"

namespace velmora::test {
namespace {

const std::string kPadding(5768, '\0');
const std::string kInfoLine = "INFO: The printer is ready to print.\n";

// Pages of random pixels, big enough that each page's compressed data spans whole 1024-byte
// blocks of the gzip stream.
class Job {
 public:
  Job(int width, int height, int pages, unsigned seed, const std::vector<std::string>& rc = {})
      : printer_(rc, {PaperSize{"A4", width, height, 595, 842}}) {
    std::mt19937 random(seed);
    for (int i = 0; i < pages; ++i) {
      // Noise above, few colours below: the line encoder's runs and literals both occur.
      std::string raster = RandomRgb(width, height / 2, random);
      raster += RandomRgb(width, height - height / 2, random, 3);
      pages_.push_back(PpmPage(width, height, raster));
    }
  }

  const std::string& page(int index) const { return pages_[static_cast<std::size_t>(index)]; }
  std::string Pages(int count) const {
    std::string input;
    for (int i = 0; i < count; ++i)
      input += page(i);
    return input;
  }

  ProcessOptions Options(std::optional<std::string> tmpdir = std::nullopt) const {
    ProcessOptions options;
    options.args = printer_.Args();
    if (tmpdir) options.env["TMPDIR"] = tmpdir;
    return options;
  }

  // The printer stream of an uncancelled job of the first `count` pages.
  std::string Reference(int count, std::optional<std::string> tmpdir = std::nullopt) const {
    ProcessOptions options = Options(std::move(tmpdir));
    options.input = Pages(count);
    const ProcessResult result = RunProcess(FilterProgram(), options);
    EXPECT_EQ(result.exitCode, 0) << "reference job of " << count << " pages";
    EXPECT_EQ(result.err, kInfoLine);
    return result.out;
  }

 private:
  TestPrinter printer_;
  std::vector<std::string> pages_;
};

std::string PjlHeader(const std::string& out) {
  const std::size_t enter = out.find(kEnterLanguage);
  return enter == std::string::npos ? std::string() : out.substr(0, enter + kEnterLanguage.size());
}

// Checks that no spool file of `pid` is left, and removes any that is.
void ExpectNoSpoolFile(pid_t pid) {
  const std::vector<std::string> left = SpoolFilesOf(pid);
  EXPECT_TRUE(left.empty()) << left.size() << " spool files left, e.g. " << left.front();
  RemoveFiles(left);
}

// Sends SIGTERM every 100 ms until the child ends (a signal that meets a page header read is
// ignored), then collects the rest of its output. No more input is written and the input
// stays open until the child has ended: a job that went on waiting for input instead of
// ending at once would otherwise finish the page from the end of the input.
ProcessResult SignalUntilItEnds(RunningProcess& filter) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(30);  // a safety net
  Clock::time_point next = Clock::now();
  while (filter.Running() && Clock::now() < end) {
    if (Clock::now() >= next) {
      filter.Signal(SIGTERM);
      next += std::chrono::milliseconds(100);
    }
    filter.Poll(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(filter.Running()) << "the cancelled job still waits for input";
  return filter.Wait();
}

TEST(Termination, BeforeTheFirstPassTheSignalEndsTheProcess) {
  const Job job(16, 8, 1, 1);
  RunningProcess filter(FilterProgram(), job.Options());
  ASSERT_EQ(WaitUntilWaitingForInput(filter), kReadSyscall);
  filter.Signal(SIGTERM);
  const ProcessResult result = filter.Wait();
  EXPECT_EQ(result.termSignal, SIGTERM);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST(Termination, BetweenPassesTheSignalHasNoEffect) {
  const Job job(48, 32, 2, 2);
  const std::string expected = job.Reference(2);
  RunningProcess filter(FilterProgram(), job.Options());
  ASSERT_TRUE(filter.Write(job.page(0)));
  // Page 1's pass has flushed the job header; the filter now reads page 2's header.
  ASSERT_EQ(WaitUntilWaitingForInput(filter), kReadSyscall);
  EXPECT_EQ(filter.out(), PjlHeader(expected));
  filter.Signal(SIGTERM);
  ASSERT_TRUE(filter.Write(job.page(1)));
  const ProcessResult result = filter.Wait();

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.termSignal, 0);
  EXPECT_EQ(result.err, kInfoLine);
  EXPECT_TRUE(result.out == expected) << "the job is not the uncancelled two-page job";
  ExpectNoSpoolFile(filter.pid());
}

// Cancellation while the filter waits for the rest of page `page`'s raster.
class CancelInRasterRead : public testing::TestWithParam<int> {};

TEST_P(CancelInRasterRead, EndsTheStreamWithThePagesBefore) {
  const int page = GetParam();
  const Job job(200, 120, 3, 3);
  RunningProcess filter(FilterProgram(), job.Options());
  const std::string current = job.page(page - 1);
  ASSERT_TRUE(filter.Write(job.Pages(page - 1) + current.substr(0, current.size() / 2)));
  ASSERT_EQ(WaitUntilWaitingForInput(filter), kPpollSyscall);
  const std::string written = filter.out();  // flushed by the previous pass
  const ProcessResult result = SignalUntilItEnds(filter);

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.termSignal, 0);
  EXPECT_EQ(result.err, "") << "the cancelled job prints nothing";
  ExpectNoSpoolFile(filter.pid());

  if (page == 1) {
    // Nothing was flushed yet: the header, the padding, an empty gzip stream, the trailer.
    const std::string reference = job.Reference(1);
    const std::string header = PjlHeader(reference);
    EXPECT_EQ(written, "");
    ASSERT_EQ(result.out.substr(0, header.size() + kPadding.size()), header + kPadding);
    PrinterJob printed;
    std::string error;
    ASSERT_TRUE(SplitPrinterJob(header + result.out.substr(header.size() + kPadding.size()),
                                &printed, &error))
        << error;
    EXPECT_EQ(printed.raster, "");
    PrinterJob whole;
    ASSERT_TRUE(SplitPrinterJob(reference, &whole, &error)) << error;
    EXPECT_EQ(printed.trailer, whole.trailer);
    return;
  }
  // What was written, the padding, then the rest of the job of the pages before this one.
  const std::string reference = job.Reference(page - 1);
  ASSERT_EQ(result.out.substr(0, written.size() + kPadding.size()), written + kPadding);
  EXPECT_TRUE(written + result.out.substr(written.size() + kPadding.size()) == reference)
      << "without the padding the stream is not the job of the " << page - 1 << " pages before";
  const std::size_t header = PjlHeader(reference).size();
  ASSERT_GE(written.size(), header);
  EXPECT_EQ((written.size() - header) % 1024, 0u) << "only whole gzip blocks come before";
  if (page == 2) {
    EXPECT_EQ(written.size(), header);
  } else {
    EXPECT_GT(written.size(), header) << "page 1 should have filled blocks";
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, CancelInRasterRead, testing::Values(1, 2, 3),
                         [](const testing::TestParamInfo<int>& param) {
                           return "Page" + std::to_string(param.param);
                         });

TEST(Termination, CancelledCopiesLeaveTheCopyFileOfThePage) {
  const std::string tmpdir = MakeScratchDir("cancel_tmpdir");
  const Job job(48, 32, 2, 4, {"Copies=2", "Collate=OFF"});
  const std::string reference = job.Reference(1, tmpdir);
  RunningProcess filter(FilterProgram(), job.Options(tmpdir));
  const std::string page2 = job.page(1);
  ASSERT_TRUE(filter.Write(job.page(0) + page2.substr(0, page2.size() / 2)));
  ASSERT_EQ(WaitUntilWaitingForInput(filter), kPpollSyscall);
  const std::string written = filter.out();
  const ProcessResult result = SignalUntilItEnds(filter);

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  ASSERT_EQ(result.out.substr(0, written.size() + kPadding.size()), written + kPadding);
  EXPECT_TRUE(written + result.out.substr(written.size() + kPadding.size()) == reference)
      << "without the padding the stream is not the job of page 1's two copies";
  ExpectNoSpoolFile(filter.pid());
  // Page 2's copy file stays where it is, still empty: its raster never arrived.
  const std::vector<std::string> left = FolderEntries(tmpdir);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(IsCopyFileName(left[0])) << left[0];
  EXPECT_EQ(ReadFile(tmpdir + "/" + left[0]), "");
  RemoveTree(tmpdir);
}

// The stress run: one job, cancelled at many random moments.

int StressRuns() {
  if (const char* hint = std::getenv("VELMORA_CANCEL_STRESS_RUNS")) return std::atoi(hint);
#if defined(__SANITIZE_ADDRESS__)
  return 150;
#else
  return 300;
#endif
}

TEST(CancelStress, EveryCancelledJobEndsWithWholePages) {
  constexpr unsigned kSeed = 20240611;
  constexpr int kPages = 5;
  constexpr int kPiecesPerPage = 4;
  const int runs = StressRuns();
  std::cout << "cancel stress: seed " << kSeed << ", " << runs << " runs\n";
  std::mt19937 random(kSeed);
  const Job job(200, 120, kPages, kSeed);

  // references[k]: the job of the first k pages. Its raster stream must be the whole job's
  // cut after page k, with the whole job's first k pages.
  std::vector<std::string> references(kPages + 1);
  std::vector<RasterPage> wholePages;
  std::string wholeRaster;
  for (int k = kPages; k >= 1; --k) {
    references[static_cast<std::size_t>(k)] = job.Reference(k);
    PrinterJob printed;
    std::string error;
    ASSERT_TRUE(SplitPrinterJob(references[static_cast<std::size_t>(k)], &printed, &error))
        << error;
    std::vector<RasterPage> pages;
    ASSERT_TRUE(DecodeRasterStream(printed.raster, &pages, &error)) << error;
    ASSERT_EQ(pages.size(), static_cast<std::size_t>(k));
    if (k == kPages) {
      wholePages = pages;
      wholeRaster = printed.raster;
      ASSERT_GT(printed.gzip.size(), 3u * 1024u * kPages) << "pages too small to test blocks";
    }
    ASSERT_EQ(wholeRaster.compare(0, printed.raster.size(), printed.raster), 0);
    for (int i = 0; i < k; ++i) {
      EXPECT_EQ(pages[static_cast<std::size_t>(i)].header,
                wholePages[static_cast<std::size_t>(i)].header);
      EXPECT_EQ(pages[static_cast<std::size_t>(i)].pixels,
                wholePages[static_cast<std::size_t>(i)].pixels);
    }
  }
  const std::size_t headerSize = PjlHeader(references[kPages]).size();

  std::vector<std::string> pieces;
  for (int i = 0; i < kPages; ++i) {
    const std::string& page = job.page(i);
    const std::size_t step = page.size() / kPiecesPerPage;
    for (int p = 0; p < kPiecesPerPage; ++p) {
      const std::size_t from = static_cast<std::size_t>(p) * step;
      pieces.push_back(p + 1 < kPiecesPerPage ? page.substr(from, step) : page.substr(from));
    }
  }
  const int total = static_cast<int>(pieces.size());
  std::uniform_int_distribution<int> pause(0, 1000);  // microseconds between pieces
  // The signal follows a piece from page 1's last one on; after the last piece it follows the
  // end of the input.
  std::uniform_int_distribution<int> signalAfter(kPiecesPerPage - 1, total - 1);

  std::map<int, int> cancelledWith;  // pages in the cancelled job -> runs
  int uncancelled = 0;
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int run = 0; run < runs && failures < 3; ++run) {
    const int after = signalAfter(random);
    const int delay = pause(random);
    RunningProcess filter(FilterProgram(), job.Options());
    for (int piece = 0; piece < total; ++piece) {
      if (!filter.Write(pieces[static_cast<std::size_t>(piece)])) break;  // it has ended
      if (piece == kPiecesPerPage - 1) filter.WaitForOutput(1, 30000);    // the first output
      if (piece == total - 1) filter.CloseInput();
      if (piece == after) {
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        filter.Signal(SIGTERM);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
      filter.Poll(0);
    }
    const ProcessResult result = filter.Wait(60);
    const std::vector<std::string> left = SpoolFilesOf(filter.pid());
    RemoveFiles(left);

    std::ostringstream problem;
    int pagesPrinted = -1;
    if (result.termSignal != 0 || result.exitCode != 0 || result.timedOut) {
      problem << "exit " << result.exitCode << " signal " << result.termSignal
              << (result.timedOut ? " timed out" : "");
    } else if (!left.empty()) {
      problem << left.size() << " spool files left";
    } else if (result.err == kInfoLine && result.out == references[kPages]) {
      ++uncancelled;  // the signal met a page header read or the end of the job
    } else if (!result.err.empty()) {
      problem << "standard error of a cancelled job: " << result.err;
    } else {
      // Take the padding out at each 1024-byte boundary of the gzip stream where it may be.
      const std::string& out = result.out;
      for (std::size_t at = headerSize; at + kPadding.size() <= out.size() && pagesPrinted < 0;
           at += 1024) {
        if (out.compare(at, kPadding.size(), kPadding) != 0) continue;
        const std::string rest = out.substr(0, at) + out.substr(at + kPadding.size());
        for (int k = 1; k <= kPages; ++k) {
          if (rest == references[static_cast<std::size_t>(k)]) pagesPrinted = k;
        }
      }
      if (pagesPrinted < 0) {
        problem << "the output (" << out.size() << " bytes) is not a job of whole pages with "
                << "the padding at a block boundary";
      } else {
        ++cancelledWith[pagesPrinted];
      }
    }
    if (!problem.str().empty()) {
      ++failures;
      ADD_FAILURE() << "run " << run << " (signal after piece " << after << " + " << delay
                    << " us): " << problem.str();
    }
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::ostringstream summary;
  summary << "seed " << kSeed << ", " << runs << " runs in " << seconds << " s: " << uncancelled
          << " not cancelled";
  for (const auto& [pages, count] : cancelledWith) {
    summary << ", " << count << " cancelled with " << pages << " page" << (pages > 1 ? "s" : "");
  }
  std::cout << "cancel stress: " << summary.str() << "\n";
  testing::Test::RecordProperty("cancel_stress", summary.str());
}

}  // namespace
}  // namespace velmora::test
