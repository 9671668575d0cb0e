// Command line: "-pi" path, "-rc" path and at most one input file name, in any order.
#pragma once

namespace velmora {

struct JobSettings;

/// ParseCommandLine: fills input, paperInfoPath and rcPath of `settings`.
///   An argument that is exactly "-pi" or "-rc" takes the next argument as its path,
///   whatever it is (the last argument leaves the path absent); any other argument, "-" and
///   "" included, names the input file, opened "rb".
///   returns: 0; 1 when the input file cannot be opened; 2 for no arguments, a second
///            input file or a missing path. Errors are reported before returning.
int ParseCommandLine(int argc, char** argv, JobSettings* settings);

}  // namespace velmora
