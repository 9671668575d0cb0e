// Blank page test. The raster is compared against all-ones words, a block at a time so that
// the compiler can vectorise the comparison; the answer is the same as a word-by-word scan
// that stops at the first non-white word, followed by the last 0 to 3 bytes one at a time.
#include "raster/blank_page.h"

#include <cstring>

#include "job/page_buffer.h"
#include "job/page_state.h"
#include "settings/job_settings.h"
#include "src_header/kxfiletool.h"

namespace velmora {

bool IsAllWhite(const std::uint8_t* raster, std::size_t size) {
  constexpr std::size_t kBlockWords = 64;  // 512 bytes per early-exit check
  constexpr std::uint64_t kWhite = ~std::uint64_t{0};
  const std::size_t words = size / sizeof(std::uint64_t);
  std::size_t word = 0;
  for (; word + kBlockWords <= words; word += kBlockWords) {
    std::uint64_t all = kWhite;
    for (std::size_t i = 0; i < kBlockWords; ++i) {
      std::uint64_t value;
      std::memcpy(&value, raster + (word + i) * sizeof value, sizeof value);
      all &= value;
    }
    if (all != kWhite) return false;
  }
  for (std::size_t offset = word * sizeof(std::uint64_t); offset < size; ++offset) {
    if (raster[offset] != 0xFF) return false;
  }
  return true;
}

std::int16_t TestBlankPage(const JobSettings* settings, PageState* state) {
  const char* skipBlank = GetParamValueName("KXSkipBlank", &gRcInfo);
  if (skipBlank == nullptr) return 0;
  state->flags = static_cast<std::uint16_t>(state->flags & ~kBlankPageFlag);
  if (std::strcmp(skipBlank, "ON") != 0) return 0;

  const std::int64_t size =
      static_cast<std::int64_t>(settings->pixelHeight) * settings->bytesPerLine;
  if (size < 4 || pageBuffer == nullptr || size > pageBufferSize) return 0;
  if (!IsAllWhite(pageBuffer, static_cast<std::size_t>(size))) return 0;
  state->flags = static_cast<std::uint16_t>(state->flags | kBlankPageFlag);
  return 1;
}

}  // namespace velmora
