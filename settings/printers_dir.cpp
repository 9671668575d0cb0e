// The printers folder, chosen at build time through VELMORA_PRINTERS_DIR.
#include "settings/printers_dir.h"

#ifndef VELMORA_PRINTERS_DIR
#define VELMORA_PRINTERS_DIR "/opt/velmora/Printers"
#endif

namespace velmora {

extern const char kPrintersDir[] = VELMORA_PRINTERS_DIR;

}  // namespace velmora
