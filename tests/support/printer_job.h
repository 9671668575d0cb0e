// Whole printer jobs for the tests: running the filter on a test printer (with the child's
// process id, so that its spool files can be found), children whose start and descriptors a
// test controls, and the raster stream that a job of given pages must carry.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/job_settings.h"
#include "tests/support/process.h"
#include "tests/support/raster_decode.h"
#include "tests/support/test_printer.h"

namespace velmora::test {

using Environment = std::map<std::string, std::optional<std::string>>;

/// The last line on standard error of every job that read a page header.
inline constexpr std::string_view kReadyLine = "INFO: The printer is ready to print.\n";

/// The trailer of a job without a TITLE: UEL, UEL, LF.
inline const std::string kPlainTrailer = std::string(kUel) + std::string(kUel) + "\n";

/// The PJL header of a job with every option at its default and no job environment.
inline const std::string kDefaultPjlHeader = std::string(kUel) +
                                             "@PJL \n"
                                             "@PJL SET HOLD=OFF\n"
                                             "@PJL SET STRINGCODESET=UTF8\n"
                                             "@PJL SET PAPER=A4\n"
                                             "@PJL SET RENDERMODE=COLOR\n"
                                             "@PJL SET COLORADAPT=ON\n"
                                             "@PJL SET ECONOPRINT=OFF\n"
                                             "@PJL SET APTMODE=ON\n"
                                             "@PJL SET DUPLEX=OFF\n"
                                             "@PJL SET MEDIATYPE=REGULAR\n"
                                             "@PJL SET MANUALFEED=OFF\n"
                                             "@PJL SET SOURCETRAY=AUTO\n"
                                             "@PJL SET LESSPAPERCURL=OFF\n"
                                             "@PJL SET FIXINTENSITYUP=OFF\n"
                                             "@PJL SET COLORMODE=AUTO\n"
                                             "@PJL SET FIDELITY=TRUE\n"
                                             "@PJL ENTER LANGUAGE=PWGRASTER\n";

/// The spool file names "/tmp/ec_tmppage_<pid>_*" that exist now.
std::vector<std::string> SpoolFilesLeftBy(pid_t pid);

/// A finished run of the filter.
struct FilterRun {
  ProcessResult result;
  pid_t pid = -1;
  std::vector<std::string> leftSpoolFiles;  // the child's spool files still in /tmp at its end
};

/// RunFilter: runs the test filter with `args` on `input` (through RunningProcess).
FilterRun RunFilter(const std::vector<std::string>& args, const std::string& input,
                    const Environment& env = {});

/// RunJob: RunFilter with the arguments of `printer`.
FilterRun RunJob(const TestPrinter& printer, const std::string& input, const Environment& env = {});

/// A child that the test sets up itself.
struct ChildSetup {
  std::string stdoutPath;                  // the child's standard output ("": collected)
  std::function<void()> inChild;           // runs in the child right before exec
  std::function<void(pid_t)> beforeStart;  // runs in the test while the child waits to exec
  int timeoutSeconds = 120;                // the child is killed after this long
};

/// RunFilterControlled: forks the test filter, lets `setup.beforeStart` act on its process id
/// (to plant files at the names it will use, say), then has it exec with `args`, standard
/// input from `input`, standard error collected and standard output where `setup` says.
FilterRun RunFilterControlled(const std::vector<std::string>& args, const std::string& input,
                              const Environment& env, const ChildSetup& setup);

/// PrintedJob: the checks every job that read a page must pass: status 0, the ready line last
/// on standard error, no spool file left, and standard output split into PJL header, a
/// complete gzip stream and a trailer (into `job`).
testing::AssertionResult PrintedJob(const FilterRun& run, PrinterJob* job);

/// RasterSettings: the job record fields that the raster of `paper` depends on.
JobSettings RasterSettings(const PaperSize& paper, int colorMode);

/// PageRecords: the line records of one page raster, as the encoder writes them.
std::string PageRecords(const JobSettings& settings, const std::string& raster);

/// ExpectedRasterStream: "RaS2", then for every raster its page header and line records.
std::string ExpectedRasterStream(const JobSettings& settings,
                                 const std::vector<std::string>& rasters);

}  // namespace velmora::test
