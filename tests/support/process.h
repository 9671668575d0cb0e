// Runs the filter (or any program) as a child process with chosen arguments, standard input
// and environment, and collects its standard output, standard error and exit status.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

/// The environment variables that shape a printer job. Unless a test sets them, they are
/// removed from the child's environment so that every job header is predictable.
inline const std::vector<std::string> kJobEnvironment = {"PASSWORD", "OWNER", "TITLE", "OUTPUTTRAY",
                                                         "TMPDIR"};

struct ProcessOptions {
  std::vector<std::string> args;  // without the program itself
  std::string input;              // written to standard input, which is then closed
  // Variables to set (a value) or unset (nullopt); kJobEnvironment is unset by default.
  std::map<std::string, std::optional<std::string>> env;
  std::string workingDirectory;  // empty: the test's own
  int timeoutSeconds = 120;      // the child is killed after this long
};

struct ProcessResult {
  int exitCode = -1;   // exit status, or -1 when the child died by a signal
  int termSignal = 0;  // the signal that ended the child, or 0
  bool timedOut = false;
  std::string out;  // standard output
  std::string err;  // standard error
};

/// RunProcess: runs `program` to completion.
ProcessResult RunProcess(const std::string& program, const ProcessOptions& options);

/// A child whose standard input, output and error the test drives step by step.
class RunningProcess {
 public:
  RunningProcess(const std::string& program, const ProcessOptions& options);
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;
  ~RunningProcess();  // kills and reaps the child if it still runs

  pid_t pid() const { return pid_; }

  /// Writes `data` to the child's standard input (blocking until written or the child is
  /// gone). Returns false when the pipe is closed.
  bool Write(const std::string& data);
  /// Closes the child's standard input.
  void CloseInput();
  /// Reads what the child has written so far into out()/err(), waiting at most `millis`.
  void Poll(int millis);
  /// Polls until out() holds at least `bytes` bytes or `millis` have passed.
  bool WaitForOutput(std::size_t bytes, int millis);
  /// Sends `signal` to the child.
  void Signal(int signal);
  /// True while the child has not exited (reaps it when it has).
  bool Running();
  /// Waits for the child to end, collecting the rest of its output.
  ProcessResult Wait(int timeoutSeconds = 60);

  const std::string& out() const { return result_.out; }
  const std::string& err() const { return result_.err; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  ProcessResult result_;
};

}  // namespace velmora::test
