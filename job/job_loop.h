// The job and page loop: every PPM page of the input is sent through the back end in one
// page pass, or several for uncollated copies. A pass is BeginPage, ReadPageRaster (which
// reads the raster into the page buffer and runs StartPage and SendRaster) and FinishPage.
//
// Exit statuses: 1 when no page header could be read (or the job's counters cannot be
// allocated), otherwise 0, however the job ended; the "INFO: " line ends every such run.
#pragma once

#include <cstdint>

namespace velmora {

struct JobSettings;
struct PageState;

extern int passesPerPage;  // passes per page, chosen at the first page (1 at start)
extern int passIndex;      // 0-based pass of the current page; 0 reads from the input

/// RunJob: runs the job on `settings->input`.
///   returns: the job's 16-bit status (0 or 1).
std::int16_t RunJob(JobSettings* settings);

/// AllocPageCounters: allocates the job's PageCounters into state->counters.
///   returns: 0, or 1 when the allocation fails.
int AllocPageCounters(PageState* state);

/// BeginPage: arms the termination handler; pass 1 of the job runs StartJob.
///   passNumber - in: 1-based number of the pass within the job.
///   returns: 0, or StartJob's failure status.
std::int16_t BeginPage(const JobSettings* settings, int passNumber, PageState* state);

/// ReadPageRaster: reads the pass's raster (from the input on pass 0, from the copy file
/// later) and hands it to StartPage and SendRaster.
///   returns: 0 (also when the input held no raster byte: the pass counts as done); the
///            failure status of StartPage or SendRaster; 1 when the page buffer cannot be
///            allocated or the copy file cannot be read.
std::int16_t ReadPageRaster(const JobSettings* settings, PageState* state);

/// FinishPage: runs EndPage, flushes the printer stream and stops listening for SIGTERM.
///   returns: EndPage's status.
std::int16_t FinishPage(const JobSettings* settings, PageState* state);

}  // namespace velmora
