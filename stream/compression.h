// The gzip stream: the spool files fed through one deflate stream to the printer stream.
//
// Input reaches the compressor only in whole chunks of 1024 bytes: the short tail of one
// spool file is held and completed from the next, and only the final chunk (shorter,
// possibly empty) goes with Z_FINISH. Compressed data reach the printer stream in writes of
// exactly 1024 bytes, plus one final write when the stream ends. Failures are written to the
// debug log only.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>

namespace velmora {

inline constexpr std::size_t kChunkSize = 1024;

/// The compressor's process-wide state; it exists once and starts zeroed.
struct CompressionState {
  z_stream stream;                  // the library's stream record
  std::uint8_t input[kChunkSize];   // next_in / avail_in describe its unconsumed bytes
  std::uint8_t output[kChunkSize];  // next_out / avail_out describe its free part
  bool inputHeld;                   // a short chunk waits for the next spool file
  bool finishStream;                // set by EndJob: a short read ends the stream
  std::FILE* feedFile;              // the spool file being fed, or nullptr for none
};

extern CompressionState gCompression;

/// InitCompression: sets up the deflate stream (level -1, method 8, window bits 31 for the
/// gzip wrapper, memory level 8, default strategy). A failure is logged.
void InitCompression();

/// CompressSpoolFile: feeds gCompression.feedFile into the stream as far as the chunk rules
/// allow and writes the full output blocks (nullptr feeds nothing, like an empty file).
void CompressSpoolFile();

/// EndCompression: releases the stream; a failure is logged.
void EndCompression();

}  // namespace velmora
