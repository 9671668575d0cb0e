// Debug log. Opened with O_APPEND | O_CREAT | O_NOFOLLOW and mode 0600: a link planted at the
// fixed name in the shared /tmp cannot redirect the filter's writes to another file.
#include "stream/debug_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "stream/spool_files.h"

namespace velmora {
namespace {

std::FILE* gLog = nullptr;

[[noreturn]] void FailLog(const char* what) {
  std::printf("\n!!! log file %s error.!!! [%s]\n", what, kDebugLogPath);
  RemoveSpoolFiles();
  std::exit(1);
}

}  // namespace

int DebugLog(const char* format, ...) {
  if (gLog == nullptr) {
    const int fd =
        ::open(kDebugLogPath, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) FailLog("open");
    gLog = ::fdopen(fd, "a+");
    if (gLog == nullptr) {
      ::close(fd);
      FailLog("open");
    }
  }
  std::va_list arguments;
  va_start(arguments, format);
  const int count = std::vfprintf(gLog, format, arguments);
  va_end(arguments);
  if (count < 0) FailLog("write");
  std::fflush(gLog);
  return count;
}

}  // namespace velmora
