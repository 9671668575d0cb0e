// Copy files of uncollated copies.
#include "job/copy_file.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "job/job_loop.h"
#include "job/page_buffer.h"
#include "settings/job_settings.h"

namespace velmora {
namespace {

constexpr int kCreateAttempts = 1000;

void CloseAndDeleteCopyFile() {
  ::close(copyFile);
  ::unlink(copyFilePath);
  copyFile = -1;
}

}  // namespace

int copyFile = -1;
char copyFilePath[kCopyFilePathSize];

void ChoosePassesPerPage(const JobSettings& settings) {
  passesPerPage = settings.copies;
  if (settings.collate == 1 || settings.copies < 2) passesPerPage = 1;
}

bool UncollatedCopies(const JobSettings& settings) {
  return settings.collate == 0 && passesPerPage > 1;
}

void FormatCopyFileName(char* buffer, std::size_t size, const char* dir, long seconds,
                        long microseconds) {
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return;
  }
  std::snprintf(buffer, size - 1, "%s/%08lx%05lx", dir, seconds, microseconds);
}

int CreateCopyFile(char* buffer, std::size_t size) {
  const char* dir = std::getenv("TMPDIR");
  if (dir == nullptr) dir = "/tmp";
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    struct timeval now = {};
    ::gettimeofday(&now, nullptr);
    FormatCopyFileName(buffer, size, dir, static_cast<long>(now.tv_sec),
                       static_cast<long>(now.tv_usec));
    const int fd = ::open(buffer, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

void CopyStepBeforePass() {
  if (passIndex == 0) {
    copyFile = CreateCopyFile(copyFilePath, sizeof copyFilePath);
    if (copyFile < 0) std::fprintf(stderr, "ERROR: Unable to create a temporay file\n");
  } else if (copyFile >= 0) {
    ::lseek(copyFile, 0, SEEK_SET);
  }
}

void CopyStepAfterPass() {
  if (passIndex == passesPerPage - 1 && copyFile >= 0) CloseAndDeleteCopyFile();
}

void SaveRasterToCopyFile() {
  if (copyFile < 0) return;
  const std::uint8_t* data = pageBuffer;
  std::size_t left = static_cast<std::size_t>(pageBufferSize);
  while (left > 0) {
    const ssize_t written = ::write(copyFile, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (left == 0) return;
  std::fprintf(stderr,
               "ERROR: Writing raster data to temporary file failed,just ONE copy will be "
               "printed!\n");
  CloseAndDeleteCopyFile();
}

int LoadRasterFromCopyFile() {
  if (copyFile < 0) return 1;
  std::uint8_t* data = pageBuffer;
  std::size_t left = static_cast<std::size_t>(pageBufferSize);
  while (left > 0) {
    const ssize_t got = ::read(copyFile, data, left);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      std::fprintf(stderr, "ERROR: Reading raster data from temporary file failed!\n");
      return 1;
    }
    data += got;
    left -= static_cast<std::size_t>(got);
  }
  return 0;
}

}  // namespace velmora
