// Cancellable input stream, built on the C library's custom stream hooks.
#include "job/cancellable_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "job/termination.h"

namespace velmora {
namespace {

// Pages are large (100 MB at 600 dpi), and the C library copies stream reads through the
// buffer, so it is large too. One input stream exists per process.
constexpr std::size_t kInputBufferSize = 1024 * 1024;
char gInputBuffer[kInputBufferSize];

ssize_t ReadInput(void* cookie, char* buffer, std::size_t size) {
  const int fd = static_cast<int>(reinterpret_cast<std::intptr_t>(cookie));
  for (;;) {
    if (TerminationArmed()) {
      if (WaitForInput(fd) != 0 && TerminationRequested()) {
        errno = EINTR;
        return -1;
      }
    }
    const ssize_t count = ::read(fd, buffer, size);
    if (count >= 0) return count;
    if (errno == EAGAIN) {
      // A non-blocking descriptor: wait for data rather than spin.
      struct pollfd ready = {fd, POLLIN, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      return -1;
    }
  }
}

// The descriptor belongs to the original stream; closing this one leaves it open.
int CloseInput(void*) {
  return 0;
}

}  // namespace

std::FILE* OpenCancellableInput(std::FILE* input) {
  const int fd = ::fileno(input);
  if (fd < 0) return input;
  cookie_io_functions_t functions = {};
  functions.read = ReadInput;
  functions.close = CloseInput;
  std::FILE* stream =
      ::fopencookie(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)), "rb", functions);
  if (stream == nullptr) return input;
  std::setvbuf(stream, gInputBuffer, _IOFBF, kInputBufferSize);
  return stream;
}

}  // namespace velmora
