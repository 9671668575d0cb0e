// The gzip stream.
#include "stream/compression.h"

#include <cstring>

#include "stream/debug_log.h"
#include "stream/output.h"

namespace velmora {
namespace {

const char* LibraryMessage() {
  return gCompression.stream.msg != nullptr ? gCompression.stream.msg : "???";
}

std::size_t ReadFeed(std::uint8_t* into, std::size_t count) {
  if (gCompression.feedFile == nullptr || count == 0) return 0;
  return std::fread(into, 1, count, gCompression.feedFile);
}

bool WriteCompressed(std::size_t count) {
  return std::fwrite(gCompression.output, 1, count, OutputStream()) == count;
}

void ResetOutput() {
  gCompression.stream.next_out = gCompression.output;
  gCompression.stream.avail_out = kChunkSize;
}

}  // namespace

CompressionState gCompression = {};

void InitCompression() {
  z_stream& stream = gCompression.stream;
  stream.zalloc = nullptr;
  stream.zfree = nullptr;
  stream.opaque = nullptr;
  // deflateInit2 is the library's macro for this versioned entry.
  const int result =
      deflateInit2_(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY,
                    ZLIB_VERSION, static_cast<int>(sizeof stream));
  if (result != Z_OK) {
    DebugLog("deflateInit: %s\n", LibraryMessage());
    return;
  }
  stream.avail_in = 0;
  ResetOutput();
}

void CompressSpoolFile() {
  z_stream& stream = gCompression.stream;
  int flush = Z_NO_FLUSH;
  for (;;) {
    bool readNow = false;
    if (gCompression.inputHeld) {
      const std::size_t held = stream.avail_in;
      // The held bytes move to the front of the buffer if the compressor left them elsewhere.
      if (stream.next_in != gCompression.input && held > 0 && stream.next_in != nullptr) {
        std::memmove(gCompression.input, stream.next_in, held);
      }
      stream.next_in = gCompression.input;
      const std::size_t got = ReadFeed(gCompression.input + held, kChunkSize - held);
      gCompression.inputHeld = false;
      stream.avail_in = static_cast<uInt>(held + got);
      readNow = true;
    } else if (stream.avail_in == 0) {
      stream.next_in = gCompression.input;
      stream.avail_in = static_cast<uInt>(ReadFeed(gCompression.input, kChunkSize));
      readNow = true;
    }
    if (readNow && stream.avail_in < kChunkSize) {
      if (!gCompression.finishStream) {
        gCompression.inputHeld = true;
        return;
      }
      flush = Z_FINISH;
    }

    const int result = deflate(&stream, flush);
    if (result == Z_STREAM_END) {
      const std::size_t used = kChunkSize - stream.avail_out;
      if (used > 0 && !WriteCompressed(used)) DebugLog("Write error\n");
      return;
    }
    if (result != Z_OK) {
      DebugLog("deflate: %s\n", LibraryMessage());
      return;
    }
    if (stream.avail_out == 0) {
      if (!WriteCompressed(kChunkSize)) {
        DebugLog("Write error\n");
        return;
      }
      ResetOutput();
    }
  }
}

void EndCompression() {
  if (deflateEnd(&gCompression.stream) != Z_OK) {
    DebugLog("deflateEnd: %s\n", LibraryMessage());
  }
}

}  // namespace velmora
