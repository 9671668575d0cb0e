// SendRaster and the page's line merging.
//
// A line repeats the pending record exactly when its encoded record equals the pending one.
// Equal lines encode equally and the encoding can be decoded, so for colour lines that is
// the same as comparing the raw lines; a mono line is compared raw first and, when the RGB
// differs, as gray, because two different RGB lines may turn into the same gray line. A
// repeated line therefore costs one comparison, not an encoding. The pending record and the
// encoder's output swap buffers instead of copying.
#include "raster/send_raster.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "job/page_buffer.h"
#include "job/page_state.h"
#include "raster/blank_page.h"
#include "raster/gray_line.h"
#include "raster/line_encoder.h"
#include "settings/job_settings.h"
#include "stream/spool_files.h"

namespace velmora {
namespace {

// Owns the page's heap buffers: the encoder, the pending record and two gray lines.
struct PageEncoderBuffers {
  LineEncoder encoder{};
  std::uint8_t* pending = nullptr;
  std::uint8_t* gray = nullptr;
  std::uint8_t* previousGray = nullptr;

  PageEncoderBuffers() = default;
  PageEncoderBuffers(const PageEncoderBuffers&) = delete;
  PageEncoderBuffers& operator=(const PageEncoderBuffers&) = delete;
  ~PageEncoderBuffers() {
    ReleaseLineEncoder(&encoder);
    std::free(pending);
    std::free(gray);
    std::free(previousGray);
  }
};

bool WriteRecord(const std::uint8_t* record, std::size_t length, std::FILE* out) {
  return std::fwrite(record, length, 1, out) == 1;
}

}  // namespace

int EncodePage(const JobSettings& settings, const std::uint8_t* raster, std::FILE* out) {
  const bool mono = IsMonoJob(settings);
  const std::size_t width =
      settings.pixelWidth > 0 ? static_cast<std::size_t>(settings.pixelWidth) : 0;
  const std::size_t rgbLineBytes = 3 * width;
  const std::uint32_t lineBytes = static_cast<std::uint32_t>(mono ? width : rgbLineBytes);
  const int height = settings.pixelHeight;

  PageEncoderBuffers buffers;
  buffers.encoder.lineLength = lineBytes;
  buffers.encoder.bytesPerPixel = mono ? 1 : 3;
  buffers.pending = static_cast<std::uint8_t*>(std::malloc(EncodeLineBufferSize(lineBytes)));
  if (buffers.pending == nullptr) return 1;
  if (mono) {
    buffers.gray = static_cast<std::uint8_t*>(std::malloc(width + 1));
    buffers.previousGray = static_cast<std::uint8_t*>(std::malloc(width + 1));
    if (buffers.gray == nullptr || buffers.previousGray == nullptr) return 1;
  }

  std::size_t pendingLength = 0;  // 0: nothing pending
  std::size_t lastLength = 0;     // length of the record in `pending` (written or not)
  const std::uint8_t* previousLine = nullptr;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* line = raster + static_cast<std::size_t>(y) * rgbLineBytes;
    bool converted = false;
    bool repeat = false;
    if (previousLine != nullptr) {
      repeat = std::memcmp(line, previousLine, rgbLineBytes) == 0;
      if (!repeat && mono) {
        ConvertLineToGray(buffers.gray, line, settings.pixelWidth);
        converted = true;
        repeat = std::memcmp(buffers.gray, buffers.previousGray, width) == 0;
      }
    }
    previousLine = line;

    if (repeat) {
      if (pendingLength == 0) {
        buffers.pending[0] = 0;  // the record just written starts again
        pendingLength = lastLength;
      } else if (buffers.pending[0] < 254) {
        ++buffers.pending[0];
      } else {
        buffers.pending[0] = 255;
        if (!WriteRecord(buffers.pending, pendingLength, out)) return 1;
        pendingLength = 0;
      }
      continue;
    }

    if (mono && !converted) ConvertLineToGray(buffers.gray, line, settings.pixelWidth);
    buffers.encoder.lineCount = 1;
    const std::int32_t length = EncodeLine(&buffers.encoder, mono ? buffers.gray : line);
    if (length < 0) return 1;
    if (pendingLength != 0 && !WriteRecord(buffers.pending, pendingLength, out)) return 1;
    std::swap(buffers.encoder.buffer, buffers.pending);
    pendingLength = lastLength = static_cast<std::size_t>(length);
    if (mono) std::swap(buffers.gray, buffers.previousGray);
  }
  if (pendingLength != 0 && !WriteRecord(buffers.pending, pendingLength, out)) return 1;
  return 0;
}

std::int16_t SendRaster(const JobSettings* settings, PageState* state) {
  if ((state->flags & kBlankPageFlag) != 0 && TestBlankPage(settings, state) == 1) {
    CloseCurrentSpoolFile();
    return 0;
  }
  int status = 0;
  if (currentSpoolFile == nullptr) {
    status = 1;
  } else if (settings->pixelHeight > 0 && pageBuffer != nullptr) {
    status = EncodePage(*settings, pageBuffer, currentSpoolFile);
  }
  CloseCurrentSpoolFile();
  return static_cast<std::int16_t>(status);
}

}  // namespace velmora
