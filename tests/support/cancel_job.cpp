// Helpers for tests that drive a running filter step by step.
#include "tests/support/cancel_job.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace velmora::test {

long BlockedSyscall(pid_t pid) {
  const std::string proc = "/proc/" + std::to_string(pid);
  std::ifstream statFile(proc + "/stat");
  std::string stat;
  std::getline(statFile, stat);
  // The state follows the command name, which is in parentheses and may hold blanks.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'S') {
    return -1;
  }
  std::ifstream syscallFile(proc + "/syscall");
  std::string first;
  if (!(syscallFile >> first) || first.empty() ||
      !std::all_of(first.begin(), first.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;  // "running", or not readable
  }
  return std::stol(first);
}

long WaitUntilWaitingForInput(RunningProcess& process, int millis) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
  long previous = -1;
  while (std::chrono::steady_clock::now() < end) {
    process.Poll(2);
    if (!process.Running()) return -1;
    const long now = BlockedSyscall(process.pid());
    const bool input = now == kReadSyscall || now == kPpollSyscall;
    if (input && now == previous) {
      process.Poll(0);
      return now;
    }
    previous = input ? now : -1;
  }
  return -1;
}

std::vector<std::string> SpoolFilesOf(pid_t pid) {
  const std::string prefix = "ec_tmppage_" + std::to_string(pid) + "_";
  std::vector<std::string> found;
  for (const std::string& name : FolderEntries("/tmp")) {
    if (name.compare(0, prefix.size(), prefix) == 0) found.push_back("/tmp/" + name);
  }
  return found;
}

void RemoveFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    ::unlink(path.c_str());
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool IsCopyFileName(const std::string& name) {
  return name.size() == 13 && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

}  // namespace velmora::test
