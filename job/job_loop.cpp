// The job and page loop.
#include "job/job_loop.h"

#include <cstdio>
#include <cstdlib>

#include "job/back_end.h"
#include "job/cancellable_input.h"
#include "job/copy_file.h"
#include "job/error_report.h"
#include "job/page_buffer.h"
#include "job/page_state.h"
#include "job/termination.h"
#include "raster/ppm_header.h"
#include "settings/job_settings.h"
#include "stream/output.h"

namespace velmora {
namespace {

void PrintError(const char* text) {
  std::fprintf(stderr, "ERROR: %s", text);
}

// Fills the page buffer for the current pass.
//   returns: 0 filled; 1 the pass fails; 2 the input held no raster byte (the pass is done).
int FillPageBuffer(const JobSettings& settings) {
  if (passIndex != 0) return LoadRasterFromCopyFile() != 0 ? 1 : 0;
  const std::size_t got =
      std::fread(pageBuffer, 1, static_cast<std::size_t>(pageBufferSize), settings.input);
  // A termination request ends the read at once; carry it out before anything else.
  ServicePendingTermination();
  if (got == 0) {
    std::fprintf(stderr, "ERROR:   Reading pixels failed\n");
    return 2;
  }
  SaveRasterToCopyFile();
  return 0;
}

}  // namespace

int passesPerPage = 1;
int passIndex = 0;

int AllocPageCounters(PageState* state) {
  auto* counters = static_cast<PageCounters*>(std::malloc(sizeof(PageCounters)));
  if (counters == nullptr) return 1;
  counters->spoolPageNumber = 0;
  state->counters = counters;
  return 0;
}

std::int16_t BeginPage(const JobSettings* settings, int passNumber, PageState* state) {
  ArmTermination(state);
  if (passNumber == 1) {
    const std::int16_t status = gFunctionTable.StartJob(settings, state);
    if (status != 0) {
      PrintError("Initializing printer for new job failed.\n");
      return status;
    }
  }
  return 0;
}

std::int16_t ReadPageRaster(const JobSettings* settings, PageState* state) {
  if (settings->pixelHeight == 0) return 0;
  std::uint32_t linesDone = 0;
  std::int16_t status = 0;
  for (;;) {
    if (AllocPageBuffer(settings->bytesPerLine, state->bandLines) != 0) {
      if (settings->bytesPerLine != 0) return 1;  // no memory for the page
      // Lines of no bytes: nothing can be read for the page.
      if (passIndex == 0) {
        std::fprintf(stderr, "ERROR:   Reading pixels failed\n");
        return status;
      }
      if (copyFile >= 0) {
        std::fprintf(stderr, "ERROR: Reading raster data from temporary file failed!\n");
      }
      return 1;
    }
    const int filled = FillPageBuffer(*settings);
    if (filled != 0) {
      FreePageBuffer();
      return filled == 2 ? status : 1;
    }
    const std::int16_t pageStatus = gFunctionTable.StartPage(settings, state);
    if (pageStatus != 0) {
      PrintError("Initializing the printer for new page failed.\n");
      FreePageBuffer();
      return pageStatus;
    }
    status = gFunctionTable.SendRaster(settings, state);
    ServicePendingTermination();
    FreePageBuffer();
    linesDone += static_cast<std::uint32_t>(state->bandLines);
    if (linesDone >= static_cast<std::uint32_t>(settings->pixelHeight)) return status;
  }
}

std::int16_t FinishPage(const JobSettings* settings, PageState* state) {
  const std::int16_t status = gFunctionTable.EndPage(settings, state);
  if (status == 0) {
    std::fflush(OutputStream());
    DisarmTermination();
  }
  return status;
}

std::int16_t RunJob(JobSettings* settings) {
  PageState state = {};
  if (const int status = SetFunctionTable(); status != 0) {
    PrintError("Setting function table failed!\n");
    return static_cast<std::int16_t>(status);
  }
  if (AllocPageCounters(&state) != 0) {
    std::fputs("molloc fasle\n", stderr);
    return 1;
  }
  settings->input = OpenCancellableInput(settings->input);

  int pagesRead = 0;
  bool endedEarly = false;
  while (!endedEarly) {
    const int header = ReadPpmHeader(settings->input);
    if (header == -1) {
      Report(ErrorCode::kPrintPhaseError);
      break;
    }
    if (header != 0) break;
    if (pagesRead == 0) ChoosePassesPerPage(*settings);
    const bool copies = UncollatedCopies(*settings);
    for (passIndex = 0; passIndex < passesPerPage; ++passIndex) {
      if (copies) CopyStepBeforePass();
      const int passNumber = pagesRead * passesPerPage + passIndex + 1;
      if (BeginPage(settings, passNumber, &state) != 0) {
        endedEarly = true;
        break;
      }
      const std::int16_t status = ReadPageRaster(settings, &state);
      FinishPage(settings, &state);
      if (copies) CopyStepAfterPass();
      if (status != 0) {
        endedEarly = true;
        break;
      }
    }
    if (!endedEarly) ++pagesRead;
  }

  if (!endedEarly && pagesRead == 0) {
    ClearFunctionTable();
    PrintError("No pages found!\n");
    std::free(state.counters);
    return 1;
  }
  gFunctionTable.EndJob(&state);
  std::fflush(OutputStream());
  ClearFunctionTable();
  std::fprintf(stderr, "INFO: %s", "The printer is ready to print.\n");
  // The termination handler is disarmed by now; nothing refers to the counters any more.
  std::free(state.counters);
  return 0;
}

}  // namespace velmora
