// The job record: where the pages come from, the printer options as inner values and
// numbers, and the paper and raster sizes. The entry point zero-fills it, the command line
// sets its first three fields, LoadJobSettings fills the rest; afterwards it is only read.
#pragma once

#include <cstdint>
#include <cstdio>

namespace velmora {

struct RcInfo;

struct JobSettings {
  std::FILE* input;           // stream of PPM pages: standard input or the named file
  const char* paperInfoPath;  // argument after "-pi" (not copied)
  const char* rcPath;         // argument after "-rc" (not copied)
  std::int16_t mediaType;     // MediaType inner value
  std::int16_t resolution;    // KXResolution: 1 Normal, 2 Fine
  std::int16_t paperSize;     // PageSize inner value, the paper code
  std::int16_t paperWidth;    // points, from PaperDimension
  std::int16_t paperHeight;   // points, from PaperDimension
  std::int16_t pixelWidth;    // raster pixels per line, from the paper-info file
  std::int16_t pixelHeight;   // raster lines, from the paper-info file
  std::int32_t bytesPerLine;  // 3 x pixelWidth
  std::int16_t inputSlot;
  std::int16_t copies;
  std::int16_t colorMode;  // KXMonoColor: 2 Auto, 1 FullColor, 0 Mono
  std::int16_t collate;    // 0 off, 1 on
  std::int16_t colorMatching;
  std::int16_t enhanceBlackPrint;
  std::int16_t improveOutput;
  std::int16_t brightness;
  std::int16_t contrast;
  std::int16_t redKey;
  std::int16_t greenKey;
  std::int16_t blueKey;
  std::int16_t duplex;  // 0 none, 1 tumble, 2 no tumble
  std::int16_t tonerSave;
  std::int16_t gray;
};

/// True for a mono job (KXMonoColor "Mono"); every other value prints colour.
inline bool IsMonoJob(const JobSettings& settings) {
  return settings.colorMode == 0;
}

/// LoadJobSettings: reads the rc file into the process's option table, then builds the rest
/// of `settings` from it and the paper files.
///   returns: 0, or the already reported code of the first step that failed
///            (1, 5, 6, 7, 13 or 14).
int LoadJobSettings(JobSettings* settings);

/// BuildJobSettings: copies the option table's inner values and numbers into `settings`,
/// then reads the paper-info file and the paper geometry files and sets bytesPerLine.
///   returns: 0, or the already reported code of the paper reader that failed.
int BuildJobSettings(const RcInfo* pRcInfo, JobSettings* settings);

}  // namespace velmora
