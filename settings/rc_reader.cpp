// Rc file reader. Fixed buffers only: a 1024-byte line buffer, a 1025-byte text buffer and a
// 1025-byte key buffer; lines are at most 1023 characters, so every copy fits.
#include "settings/rc_reader.h"

#include <cstring>

#include "job/error_report.h"
#include "src_header/kxfiletool.h"

namespace velmora {
namespace {

// Copies at most `capacity` - 1 characters of [begin, end) into `out` and terminates it.
void CopyBounded(const char* begin, const char* end, char* out, std::size_t capacity) {
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(out, begin, length);
  out[length] = '\0';
}

}  // namespace

char* ReadRcLine(char* buffer, int size, std::FILE* file) {
  if (std::fgets(buffer, size, file) == nullptr) return nullptr;
  if (char* newline = std::strchr(buffer, '\n'); newline != nullptr) *newline = '\0';
  return buffer;
}

char* StripBlanks(char* line) {
  char* out = line;
  for (const char* in = line; *in != '\0'; ++in) {
    if (*in != ' ' && *in != '\t') *out++ = *in;
  }
  *out = '\0';
  return line;
}

int ParseRcEntry(const char* line, char* value, const RcInfo* pRcInfo) {
  const char* equals = std::strchr(line, '=');
  if (equals == nullptr) return -2;
  CopyBounded(equals + 1, equals + std::strlen(equals), value, kRcValueSize);
  char key[kRcValueSize] = {};
  CopyBounded(line, equals, key, sizeof key);
  for (int row = 0; row < pRcInfo->nParamCount && row < kParamCount; ++row) {
    if (std::strcmp(pRcInfo->pParams[row].pszName, key) == 0) return row;
  }
  return -1;
}

int ReadRcFile(const char* path, RcInfo* pRcInfo) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return Report(ErrorCode::kCannotOpenFile, path);

  char line[kRcLineSize];
  char text[kRcValueSize];
  bool headerSeen = false;
  bool fault = false;
  while (!fault && ReadRcLine(line, sizeof line, file) != nullptr) {
    StripBlanks(line);
    if (line[0] == '\0' || line[0] == '#') continue;
    if (line[0] == '[') {
      const char* name = line + 1;
      const char* close = std::strchr(name, ']');
      const char* end = close != nullptr ? close : name + std::strlen(name);
      CopyBounded(name, end, text, sizeof text);
      // A second header, a bare "[", an empty "[]" and a name too long for the table are
      // all the same header fault; the name becomes a directory in the paper file paths.
      fault = headerSeen || line[1] == '\0' || text[0] == '\0' ||
              std::strlen(text) >= static_cast<std::size_t>(kPrinterNameSize);
      if (!fault) {
        std::memcpy(pRcInfo->szPrinterName, text, std::strlen(text) + 1);
        headerSeen = true;
      }
      continue;
    }
    if (!headerSeen) {
      fault = true;
      continue;
    }
    const int row = ParseRcEntry(line, text, pRcInfo);
    if (row < 0) continue;
    if (IsNumericalRow(row)) {
      SetNumericalParam(row, text, pRcInfo);
    } else {
      SetListParam(row, text, pRcInfo);
    }
  }
  std::fclose(file);
  if (fault) return Report(ErrorCode::kInvalidPrinterName);
  return 0;
}

}  // namespace velmora
