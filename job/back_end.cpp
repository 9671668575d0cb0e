// The back-end operations, each put together from the stream and raster halves.
#include "job/back_end.h"

#include "job/page_state.h"
#include "raster/page_header.h"
#include "raster/send_raster.h"
#include "settings/job_settings.h"
#include "stream/compression.h"
#include "stream/pjl.h"
#include "stream/spool_files.h"

namespace velmora {

FunctionTable gFunctionTable = {};

int SetFunctionTable() {
  gFunctionTable = FunctionTable{StartJob, EndJob, StartPage, EndPage, SendRaster};
  return 0;
}

void ClearFunctionTable() {
  gFunctionTable = FunctionTable{};
}

std::int16_t StartJob(const JobSettings* settings, PageState* state) {
  WritePjlHeader(*settings);
  state->bandLines = settings->pixelHeight;
  state->counters->spoolPageNumber = 0;
  InitCompression();
  return 0;
}

std::int16_t EndJob(PageState* state) {
  FinishSpoolStream(state);
  WritePjlTrailer();
  return 0;
}

std::int16_t StartPage(const JobSettings* settings, PageState* state) {
  switch (OpenPageSpool(state)) {
    case 0:
      return StartPageHeader(settings, state);
    case 1:
      return 1;  // no spool file: the page cannot be sent
    default:
      return 0;  // "RaS2" could not be written: no blank test, no header
  }
}

std::int16_t EndPage(const JobSettings*, PageState*) {
  return 0;
}

}  // namespace velmora
