// ppmtovelmora: turns a job's PPM pages into one PJL-framed, gzip-compressed PWG raster
// printer job on standard output.
#include <cstdint>
#include <cstdio>

#include "job/command_line.h"
#include "job/job_loop.h"
#include "settings/job_settings.h"

int main(int argc, char** argv) {
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  velmora::JobSettings settings = {};
  if (const int code = velmora::ParseCommandLine(argc, argv, &settings); code != 0) return code;
  if (const int code = velmora::LoadJobSettings(&settings); code != 0) return code;
  return static_cast<std::int16_t>(velmora::RunJob(&settings));
}
