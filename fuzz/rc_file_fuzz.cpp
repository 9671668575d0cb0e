// Fuzzes the rc file reader: any file must be read within the fixed buffers, and the table
// must keep every list row's choice inside its choices.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "settings/rc_reader.h"
#include "src_header/kxfiletool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::fuzz::DataFile file(data, size);
  if (!file.ok()) return 0;
  velmora::RcInfo table = velmora::kDefaultRcInfo;
  const int result = velmora::ReadRcFile(file.path(), &table);
  if (result != 0 && result != 5) std::abort();
  if (std::strlen(table.szPrinterName) >= sizeof table.szPrinterName) std::abort();
  for (int row = 0; row < velmora::kParamCount; ++row) {
    const velmora::Param& param = table.pParams[row];
    if (velmora::IsNumericalRow(row)) continue;
    if (param.nIndex < 0 || param.nIndex >= param.nItemCount) std::abort();
  }
  return 0;
}
