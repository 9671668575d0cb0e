// The per-job records handed to the back-end operations.
#pragma once

#include <cstdint>

namespace velmora {

/// The job's spool counter, allocated once per job and kept until the process ends.
struct PageCounters {
  std::int32_t spoolPageNumber;  // number of the spool file last created; 0 before page 1
};

/// PageState flag: the current page is blank and is left out.
inline constexpr std::uint16_t kBlankPageFlag = 1;

/// One per job, zero-filled at the start of RunJob.
struct PageState {
  std::int16_t bandLines;  // lines per band; a band is the whole page (pixelHeight)
  PageCounters* counters;  // the job's spool counter
  std::uint16_t flags;     // kBlankPageFlag
};

}  // namespace velmora
