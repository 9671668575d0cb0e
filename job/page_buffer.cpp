// Page buffer. Sizes are checked when the settings are loaded (a page never exceeds 2^31 - 1
// bytes); the size is computed in 64 bits here all the same, so that no product can wrap.
#include "job/page_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmora {
namespace {

// A 600-dpi page is about 100 MB; touched in 4 KiB pages its first fill costs some 25000 page
// faults, more than the page's whole encoding. Asking for transparent huge pages for the
// buffer's 2 MiB-aligned interior cuts that to a few dozen; where the system has none the
// advice is ignored.
void AdviseHugePages(void* memory, std::size_t size) {
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = 2u << 20;
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)memory;
  (void)size;
#endif
}

}  // namespace

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
  AdviseHugePages(memory, static_cast<std::size_t>(size));
  pageBuffer = static_cast<std::uint8_t*>(memory);
  pageBufferSize = static_cast<std::int32_t>(size);
  return 0;
}

void FreePageBuffer() {
  std::free(pageBuffer);
  pageBuffer = nullptr;
}

}  // namespace velmora
