// PPM page header reader: consumes exactly one raw PPM header ("P6", width, height, maximum
// value) and leaves the stream at the page's first raster byte.
//
// Exactly one white-space character separates two tokens; a comment ("#" to the end of the
// line) may stand only where a token could begin, and its closing CR or LF belongs to it.
// Width, height and maximum value are not interpreted: the raster size comes from the
// settings.
#pragma once

#include <cstdio>

namespace velmora {

inline constexpr int kPpmTokenMax = 70;  // characters of one header token

/// ReadPpmHeader: reads one header from `input`, one character at a time.
///   returns: 0 when a header was read (the stream is at the first raster byte);
///            1 at the end of input before any character was read;
///           -1 for a malformed header (wrong magic, white space where a token should begin,
///              a token over 70 characters) or the end of input inside a header; nothing is
///              consumed beyond the character that made the header malformed.
int ReadPpmHeader(std::FILE* input);

}  // namespace velmora
