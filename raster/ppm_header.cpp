// PPM page header reader. White space is the C locale's set: space, \t, \n, \v, \f, \r.
#include "raster/ppm_header.h"

#include <cstring>

namespace velmora {
namespace {

bool IsSpace(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int ReadPpmHeader(std::FILE* input) {
  char token[kPpmTokenMax + 1] = {};
  int tokenLength = 0;
  int field = 0;  // 0 magic, 1 width, 2 height, 3 maximum value
  bool inComment = false;
  bool readAny = false;

  for (;;) {
    const int c = std::getc(input);
    if (c == EOF) return readAny ? -1 : 1;
    readAny = true;

    if (inComment) {
      if (c == '\r' || c == '\n') inComment = false;
      continue;
    }
    if (c == '#' && tokenLength == 0) {
      inComment = true;
      continue;
    }
    if (IsSpace(c)) {
      if (tokenLength == 0) return -1;
      if (field == 0 && (tokenLength != 2 || token[0] != 'P' || token[1] != '6')) return -1;
      if (field == 3) return 0;
      ++field;
      std::memset(token, 0, sizeof token);
      tokenLength = 0;
      continue;
    }
    if (tokenLength == kPpmTokenMax) return -1;
    token[tokenLength++] = static_cast<char>(c);
  }
}

}  // namespace velmora
