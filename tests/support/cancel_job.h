// Helpers for tests that drive a running filter step by step (uncollated copies and
// cancellation): where the child waits for input, which of its spool files exist and what a
// folder holds.
#pragma once

#include <sys/syscall.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/process.h"

namespace velmora::test {

/// The system calls in which the filter waits for input: a plain read while SIGTERM is not
/// listened for (before the first pass, and in a page header read between passes), ppoll
/// during a page pass's raster read.
inline constexpr long kReadSyscall = SYS_read;
inline constexpr long kPpollSyscall = SYS_ppoll;

/// BlockedSyscall: the system call that `pid` sleeps in, or -1 when it is running, gone or
/// not sleeping.
long BlockedSyscall(pid_t pid);

/// WaitUntilWaitingForInput: collects the child's output until the child sleeps in a read or
/// a ppoll (seen on two looks in a row), then drains what it has written.
///   returns: kReadSyscall or kPpollSyscall; -1 when the child ended or `millis` passed.
long WaitUntilWaitingForInput(RunningProcess& process, int millis = 30000);

/// SpoolFilesOf: the names of the page spool files "/tmp/ec_tmppage_<pid>_*" that exist.
std::vector<std::string> SpoolFilesOf(pid_t pid);

/// RemoveFiles: deletes the files named (to clean up after a failed check).
void RemoveFiles(const std::vector<std::string>& paths);

/// FolderEntries: the names of the entries of `path`, sorted ("." and ".." left out).
std::vector<std::string> FolderEntries(const std::string& path);

/// IsCopyFileName: true for exactly 13 lower-case hexadecimal digits.
bool IsCopyFileName(const std::string& name);

}  // namespace velmora::test
