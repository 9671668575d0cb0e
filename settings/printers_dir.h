// The folder that holds one sub-folder per printer, with its paper files under
// "<folder>/<printer name>/inf/". Fixed when the program is built.
#pragma once

namespace velmora {

/// The printers folder, without a trailing slash ("/opt/velmora/Printers" by default).
extern const char kPrintersDir[];

}  // namespace velmora
