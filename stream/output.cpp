// The printer stream seam.
#include "stream/output.h"

namespace velmora {
namespace {

std::FILE* gOutput = nullptr;

}  // namespace

std::FILE* OutputStream() {
  return gOutput != nullptr ? gOutput : stdout;
}

void SetOutputStream(std::FILE* stream) {
  gOutput = stream;
}

}  // namespace velmora
