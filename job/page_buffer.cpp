// Page buffer. Sizes are checked when the settings are loaded (a page never exceeds 2^31 - 1
// bytes); the size is computed in 64 bits here all the same, so that no product can wrap.
#include "job/page_buffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmora {

std::uint8_t* pageBuffer = nullptr;
std::int32_t pageBufferSize = 0;

int AllocPageBuffer(std::int32_t lineLength, std::int16_t lineCount) {
  if (lineLength == 0) {
    std::fputs("Invalid Parameter(s).\n", stderr);
    return 1;
  }
  const std::int64_t size = static_cast<std::int64_t>(lineLength) * lineCount;
  if (size <= 0 || size > INT32_MAX) {
    std::fputs("Invalid Parameter(s).\n", stderr);
    return 1;
  }
  FreePageBuffer();
  void* memory = std::calloc(static_cast<std::size_t>(size), 1);
  if (memory == nullptr) {
    std::fprintf(stderr, "ERROR: %s", "Insufficient memory!\n");
    return 1;
  }
  pageBuffer = static_cast<std::uint8_t*>(memory);
  pageBufferSize = static_cast<std::int32_t>(size);
  return 0;
}

void FreePageBuffer() {
  std::free(pageBuffer);
  pageBuffer = nullptr;
}

}  // namespace velmora
