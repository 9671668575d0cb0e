// Child processes for the tests: fork, exec, pipes and a poll loop.
#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace velmora::test {
namespace {

void SetNonBlocking(int fd) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Appends what `fd` has to `into`; closes and clears `fd` at the end of file.
void Drain(int& fd, std::string& into) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got == 0) {
      ::close(fd);
      fd = -1;
    }
    return;  // EAGAIN or error
  }
}

std::vector<std::string> ChildEnvironment(const ProcessOptions& options) {
  std::map<std::string, std::optional<std::string>> changes;
  for (const std::string& name : kJobEnvironment)
    changes[name] = std::nullopt;
  for (const auto& [name, value] : options.env)
    changes[name] = value;
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (changes.count(name) == 0) env.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value.has_value()) env.push_back(name + "=" + *value);
  }
  return env;
}

}  // namespace

RunningProcess::RunningProcess(const std::string& program, const ProcessOptions& options) {
  int inPipe[2];
  int outPipe[2];
  int errPipe[2];
  if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0 ||
      ::pipe2(errPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> args = {program};
  args.insert(args.end(), options.args.begin(), options.args.end());
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = ChildEnvironment(options);
  std::vector<char*> envp;
  for (std::string& entry : env)
    envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::dup2(inPipe[0], 0);
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    // The child starts with the signal state a spooler gives it.
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
      ::_exit(126);
    }
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(inPipe[0]);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  in_ = inPipe[1];
  out_ = outPipe[0];
  err_ = errPipe[0];
  // Writes must not block either: a child that is itself blocked writing its output would
  // never read the rest of a large input.
  SetNonBlocking(in_);
  SetNonBlocking(out_);
  SetNonBlocking(err_);
  ::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not kill the test
}

RunningProcess::~RunningProcess() {
  if (!reaped_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
  for (int fd : {in_, out_, err_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool RunningProcess::Write(const std::string& data) {
  std::size_t done = 0;
  while (done < data.size() && in_ >= 0) {
    struct pollfd fds[3] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}, {err_, POLLIN, 0}};
    ::poll(fds, 3, 1000);
    if (out_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP)) != 0) Drain(out_, result_.out);
    if (err_ >= 0 && (fds[2].revents & (POLLIN | POLLHUP)) != 0) Drain(err_, result_.err);
    if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return false;
    if ((fds[0].revents & POLLOUT) == 0) {
      if (!Running()) return false;
      continue;
    }
    const ssize_t wrote = ::write(in_, data.data() + done, data.size() - done);
    if (wrote < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return done == data.size();
}

void RunningProcess::CloseInput() {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
}

void RunningProcess::Poll(int millis) {
  struct pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  if (out_ < 0 && err_ < 0) return;
  ::poll(fds, 2, millis);
  if (out_ >= 0) Drain(out_, result_.out);
  if (err_ >= 0) Drain(err_, result_.err);
}

bool RunningProcess::WaitForOutput(std::size_t bytes, int millis) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
  while (result_.out.size() < bytes) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || (out_ < 0 && err_ < 0)) return result_.out.size() >= bytes;
    Poll(static_cast<int>(std::min<long>(left.count(), 50)));
  }
  return true;
}

void RunningProcess::Signal(int signal) {
  if (!reaped_) ::kill(pid_, signal);
}

bool RunningProcess::Running() {
  if (reaped_) return false;
  if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

ProcessResult RunningProcess::Wait(int timeoutSeconds) {
  CloseInput();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (out_ >= 0 || err_ >= 0) {
    if (std::chrono::steady_clock::now() > end) {
      result_.timedOut = true;
      ::kill(pid_, SIGKILL);
      break;
    }
    Poll(50);
  }
  if (!reaped_) {
    ::waitpid(pid_, &status_, 0);
    reaped_ = true;
  }
  if (WIFEXITED(status_)) {
    result_.exitCode = WEXITSTATUS(status_);
  } else if (WIFSIGNALED(status_)) {
    result_.termSignal = WTERMSIG(status_);
  }
  return result_;
}

ProcessResult RunProcess(const std::string& program, const ProcessOptions& options) {
  RunningProcess process(program, options);
  process.Write(options.input);
  return process.Wait(options.timeoutSeconds);
}

}  // namespace velmora::test
