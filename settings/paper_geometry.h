// Paper geometry files: the raster size in pixels (paper-info file) and the paper size in
// points (the printer's PaperDimension, checked against its ImagingArea) of the page size
// that the option table holds.
//
// A record or line belongs to the page size when its first word starts with exactly the
// page-size name followed by a colon ("A4:" and "A4:x" belong to A4; "A4" and "A4Rotated:" do
// not). Every read is bounded: a word longer than its limit is a format error of its file.
#pragma once

#include <cstdint>

namespace velmora {

struct JobSettings;
struct RcInfo;

inline constexpr int kPaperInfoHeaderWordMax = 63;  // characters of a header word
inline constexpr int kPaperInfoNameWordMax = 1024;  // characters of a record's name word
inline constexpr int kGeometryNameWordMax = 255;    // characters of a geometry line's name
inline constexpr int kGeometryLineSize = 1024;      // one read takes at most 1023 characters

/// ReadPaperInfo: sets pixelWidth and pixelHeight from the record of the current page size.
///   path     - in: the paper-info file (first line: four words; then "name width height").
///   settings - out: pixelWidth and pixelHeight.
///   pRcInfo  - in: the option table whose PageSize choice is looked up.
///   returns: 0; 1 (cannot open), 6 (format, or a raster size that cannot be printed: a
///            negative width or height, one above 32767, or a page of more than 2^31 - 1
///            bytes) or 7 (no record), after reporting it.
int ReadPaperInfo(const char* path, JobSettings* settings, const RcInfo* pRcInfo);

/// ReadPaperGeometry: checks the page size's ImagingArea line and sets paperWidth and
/// paperHeight from its PaperDimension line, both files found through the printer name.
///   returns: 0; 1 (a file cannot be opened), 7 (PaperDimension has no line for the page
///            size), 13 (malformed ImagingArea line, no message) or 14 (malformed
///            PaperDimension line, no message).
int ReadPaperGeometry(JobSettings* settings, const RcInfo* pRcInfo);

/// FormatPaperFilePath: "<printers folder>/<printer>/inf/<file>" into `buffer`.
///   returns: false when the path does not fit `size`.
bool FormatPaperFilePath(char* buffer, std::size_t size, const char* printer, const char* file);

}  // namespace velmora
