// Rc file reader: the printer name from the section header and one option per entry line.
//
// Every line is normalised first (its newline removed, then every blank and tab removed
// wherever it stands), then classified by its first character: empty lines and "#" lines are
// skipped, "[" opens the one section header, which must come before any entry, and anything
// else is an entry key=value. Unknown keys and values are passed over in silence.
#pragma once

#include <cstdio>

namespace velmora {

struct RcInfo;

inline constexpr int kRcLineSize = 1024;   // one read takes at most 1023 characters
inline constexpr int kRcValueSize = 1025;  // section name or entry value

/// ReadRcFile: reads the rc file at `path` into `pRcInfo`.
///   returns: 0; 1 when the file cannot be opened; 5 for a header fault (a second header, a
///            bare "[", an empty name, or a name of 32 characters or more, or an entry before
///            the header). Errors are reported before returning.
int ReadRcFile(const char* path, RcInfo* pRcInfo);

/// ReadRcLine: reads one line of at most `size` - 1 characters and removes the first newline.
///   returns: `buffer`, or nullptr at the end of the file or on a read error.
char* ReadRcLine(char* buffer, int size, std::FILE* file);

/// StripBlanks: removes every blank and tab from `line` in place. Returns `line`.
char* StripBlanks(char* line);

/// ParseRcEntry: splits the normalised entry `line` at its first "=" and copies the value
/// (everything after it, at most kRcValueSize - 1 characters) into `value`.
///   returns: -2 when the line has no "="; otherwise the first row whose name equals the key,
///            or -1 when none does.
int ParseRcEntry(const char* line, char* value, const RcInfo* pRcInfo);

}  // namespace velmora
