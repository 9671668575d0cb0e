// Page spool files and their feeding into the gzip stream.
#include "stream/spool_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "job/page_state.h"
#include "stream/compression.h"

namespace velmora {
namespace {

char gSpoolPath[kSpoolPathSize];  // the current page's spool file
char gFeedPath[kSpoolPathSize];   // the spool file being fed
std::int32_t gLastCreated = 0;    // for RemoveSpoolFiles

std::FILE* OpenForFeeding(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

// Feeds spool file `number` (if it exists) and deletes it.
void FeedSpoolFile(std::int32_t number) {
  FormatSpoolPath(gFeedPath, number);
  gCompression.feedFile = number > 0 ? OpenForFeeding(gFeedPath) : nullptr;
  CompressSpoolFile();
  if (gCompression.feedFile != nullptr) {
    std::fclose(gCompression.feedFile);
    gCompression.feedFile = nullptr;
  }
  if (number > 0) std::remove(gFeedPath);
}

}  // namespace

std::FILE* currentSpoolFile = nullptr;

void FormatSpoolPath(char* buffer, std::int32_t number) {
  std::snprintf(buffer, kSpoolPathSize, "/tmp/ec_tmppage_%d_%d", static_cast<int>(::getpid()),
                static_cast<int>(number));
}

std::FILE* CreateSpoolFile(const char* path) {
  constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(path, kFlags, 0600);
  if (fd < 0 && errno == EEXIST) {
    // A leftover or planted entry: remove the entry itself (never what a link points to).
    ::unlink(path);
    fd = ::open(path, kFlags, 0600);
  }
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "w+b");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(path);
  }
  return file;
}

int OpenPageSpool(PageState* state) {
  const std::int32_t number = state->counters->spoolPageNumber + 1;
  FormatSpoolPath(gSpoolPath, number);
  CloseCurrentSpoolFile();
  currentSpoolFile = CreateSpoolFile(gSpoolPath);
  if (currentSpoolFile == nullptr) return 1;
  state->counters->spoolPageNumber = number;
  gLastCreated = number;

  if (number == 1) {
    if (std::fwrite("RaS2", 4, 1, currentSpoolFile) != 1) return 2;
    return 0;
  }
  FeedSpoolFile(number - 1);
  return 0;
}

void FinishSpoolStream(PageState* state) {
  gCompression.finishStream = true;
  const std::int32_t number = state->counters != nullptr ? state->counters->spoolPageNumber : 0;
  // A spool file still open here (the job ended inside a page) is closed first, so that all
  // of it is fed.
  CloseCurrentSpoolFile();
  FeedSpoolFile(number);
  EndCompression();
}

void CloseCurrentSpoolFile() {
  if (currentSpoolFile != nullptr) {
    std::fclose(currentSpoolFile);
    currentSpoolFile = nullptr;
  }
}

void RemoveSpoolFiles() {
  char path[kSpoolPathSize];
  for (std::int32_t number = gLastCreated; number > 0 && number >= gLastCreated - 1; --number) {
    FormatSpoolPath(path, number);
    ::unlink(path);
  }
}

}  // namespace velmora
