// Debug log: compression and output-write failures of the gzip stream, one line each, in
// "/tmp/kx_lprng_debuglog.txt". The log is created on the first message only, owner-only and
// never through a symbolic link, and stays open until the process ends.
#pragma once

namespace velmora {

inline constexpr const char* kDebugLogPath = "/tmp/kx_lprng_debuglog.txt";

/// DebugLog: appends one printf-formatted message to the log and flushes it.
///   returns: the number of characters written. When the log cannot be opened or written,
///            prints "\n!!! log file open error.!!! [path]\n" (or "write error") on standard
///            output, removes the job's spool files and ends the process with status 1.
int DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velmora
