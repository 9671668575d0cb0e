// Fuzzes the paper-info reader: every file gives 0, 6 or 7, within its bounded words, and a
// success gives a printable raster size.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "settings/job_settings.h"
#include "settings/paper_geometry.h"
#include "src_header/kxfiletool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::fuzz::DataFile file(data, size);
  if (!file.ok()) return 0;
  velmora::JobSettings settings = {};
  const int result = velmora::ReadPaperInfo(file.path(), &settings, &velmora::kDefaultRcInfo);
  if (result != 0 && result != 6 && result != 7) std::abort();
  if (result == 0) {
    if (settings.pixelWidth < 0 || settings.pixelHeight < 0) std::abort();
    if (3LL * settings.pixelWidth * settings.pixelHeight > INT32_MAX) std::abort();
  }
  return 0;
}
