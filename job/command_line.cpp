// Command line parsing. The paths point at the argument strings themselves.
#include "job/command_line.h"

#include <cstdio>
#include <cstring>

#include "job/error_report.h"
#include "settings/job_settings.h"

namespace velmora {

int ParseCommandLine(int argc, char** argv, JobSettings* settings) {
  settings->input = stdin;
  settings->paperInfoPath = nullptr;
  settings->rcPath = nullptr;
  if (argc <= 1) return Report(ErrorCode::kInvalidOption);

  bool inputOpened = false;
  for (int i = 1; i < argc;) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "-pi") == 0) {
      settings->paperInfoPath = i + 1 < argc ? argv[i + 1] : nullptr;
      i += 2;
    } else if (std::strcmp(argument, "-rc") == 0) {
      settings->rcPath = i + 1 < argc ? argv[i + 1] : nullptr;
      i += 2;
    } else {
      if (inputOpened) return Report(ErrorCode::kInvalidOption, argument);
      std::FILE* file = std::fopen(argument, "rb");
      if (file == nullptr) return Report(ErrorCode::kCannotOpenFile, argument);
      settings->input = file;
      inputOpened = true;
      i += 1;
    }
  }
  if (settings->rcPath != nullptr && settings->paperInfoPath != nullptr) return 0;
  return Report(ErrorCode::kInvalidOption);
}

}  // namespace velmora
