// Whole printer jobs for the tests.
#include "tests/support/printer_job.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "raster/page_header.h"
#include "raster/send_raster.h"

extern char** environ;

namespace velmora::test {
namespace {

std::vector<std::string> ChildEnvironment(const Environment& env) {
  Environment changes;
  for (const std::string& name : kJobEnvironment)
    changes[name] = std::nullopt;
  for (const auto& [name, value] : env)
    changes[name] = value;
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (changes.count(text.substr(0, text.find('='))) == 0) entries.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value.has_value()) entries.push_back(name + "=" + *value);
  }
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::vector<std::string> SpoolFilesLeftBy(pid_t pid) {
  const std::string prefix = "ec_tmppage_" + std::to_string(pid) + "_";
  std::vector<std::string> found;
  DIR* dir = ::opendir("/tmp");
  if (dir == nullptr) return found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) == 0) found.push_back("/tmp/" + name);
  }
  ::closedir(dir);
  return found;
}

FilterRun RunFilter(const std::vector<std::string>& args, const std::string& input,
                    const Environment& env) {
  ProcessOptions options;
  options.args = args;
  options.env = env;
  RunningProcess process(FilterProgram(), options);
  FilterRun run;
  run.pid = process.pid();
  process.Write(input);
  run.result = process.Wait(options.timeoutSeconds);
  run.leftSpoolFiles = SpoolFilesLeftBy(run.pid);
  return run;
}

FilterRun RunJob(const TestPrinter& printer, const std::string& input, const Environment& env) {
  return RunFilter(printer.Args(), input, env);
}

FilterRun RunFilterControlled(const std::vector<std::string>& args, const std::string& input,
                              const Environment& env, const ChildSetup& setup) {
  const std::string scratch = MakeScratchDir("child");
  const std::string inPath = scratch + "/stdin";
  const std::string outPath = setup.stdoutPath.empty() ? scratch + "/stdout" : setup.stdoutPath;
  const std::string errPath = scratch + "/stderr";
  WriteFile(inPath, input);

  std::vector<std::string> argTexts = {FilterProgram()};
  argTexts.insert(argTexts.end(), args.begin(), args.end());
  std::vector<std::string> envTexts = ChildEnvironment(env);
  std::vector<char*> argv = Pointers(argTexts);
  std::vector<char*> envp = Pointers(envTexts);

  int go[2];
  if (::pipe2(go, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::close(go[1]);
    char byte = 0;
    if (::read(go[0], &byte, 1) != 1) ::_exit(125);  // the test gave up before the start
    const int in = ::open(inPath.c_str(), O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (setup.inChild) setup.inChild();
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(go[0]);
  if (setup.beforeStart) setup.beforeStart(pid);
  const char start = 1;
  const bool started = ::write(go[1], &start, 1) == 1;
  ::close(go[1]);

  FilterRun run;
  run.pid = pid;
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(setup.timeoutSeconds);
  while (::waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > end) {
      run.result.timedOut = true;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) {
    run.result.exitCode = started ? WEXITSTATUS(status) : -1;
  } else if (WIFSIGNALED(status)) {
    run.result.termSignal = WTERMSIG(status);
  }
  run.result.err = ReadFile(errPath);
  if (setup.stdoutPath.empty()) run.result.out = ReadFile(outPath);
  run.leftSpoolFiles = SpoolFilesLeftBy(pid);
  RemoveTree(scratch);
  return run;
}

testing::AssertionResult PrintedJob(const FilterRun& run, PrinterJob* job) {
  const ProcessResult& result = run.result;
  if (result.timedOut) return testing::AssertionFailure() << "the filter timed out";
  if (result.exitCode != 0) {
    return testing::AssertionFailure() << "exit status " << result.exitCode << " (signal "
                                       << result.termSignal << "), stderr:\n"
                                       << result.err;
  }
  const std::string_view err = result.err;
  if (err.size() < kReadyLine.size() || err.substr(err.size() - kReadyLine.size()) != kReadyLine) {
    return testing::AssertionFailure() << "stderr does not end with the ready line:\n" << err;
  }
  if (!run.leftSpoolFiles.empty()) {
    return testing::AssertionFailure() << "spool file left: " << run.leftSpoolFiles.front();
  }
  std::string error;
  if (!SplitPrinterJob(result.out, job, &error)) {
    return testing::AssertionFailure() << "cannot split the printer job: " << error;
  }
  return testing::AssertionSuccess();
}

JobSettings RasterSettings(const PaperSize& paper, int colorMode) {
  JobSettings settings = {};
  settings.paperWidth = static_cast<std::int16_t>(paper.paperWidth);
  settings.paperHeight = static_cast<std::int16_t>(paper.paperHeight);
  settings.pixelWidth = static_cast<std::int16_t>(paper.pixelWidth);
  settings.pixelHeight = static_cast<std::int16_t>(paper.pixelHeight);
  settings.bytesPerLine = 3 * paper.pixelWidth;
  settings.colorMode = static_cast<std::int16_t>(colorMode);
  return settings;
}

std::string PageRecords(const JobSettings& settings, const std::string& raster) {
  char* data = nullptr;
  std::size_t size = 0;
  std::FILE* out = ::open_memstream(&data, &size);
  if (out == nullptr) throw std::runtime_error("open_memstream failed");
  const int status =
      EncodePage(settings, reinterpret_cast<const std::uint8_t*>(raster.data()), out);
  std::fclose(out);
  std::string records(data, size);
  std::free(data);
  if (status != 0) throw std::runtime_error("EncodePage failed");
  return records;
}

std::string ExpectedRasterStream(const JobSettings& settings,
                                 const std::vector<std::string>& rasters) {
  const PageHeader header = BuildPageHeader(settings);
  std::string stream = "RaS2";
  for (const std::string& raster : rasters) {
    stream.append(reinterpret_cast<const char*>(header.data()), header.size());
    stream += PageRecords(settings, raster);
  }
  return stream;
}

}  // namespace velmora::test
