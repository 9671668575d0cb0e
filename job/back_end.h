// The back end: five operations that the page loop calls through one table per process.
// Every operation returns a 16-bit status, 0 for success.
#pragma once

#include <cstdint>

namespace velmora {

struct JobSettings;
struct PageState;

struct FunctionTable {
  std::int16_t (*StartJob)(const JobSettings* settings, PageState* state);
  std::int16_t (*EndJob)(PageState* state);
  std::int16_t (*StartPage)(const JobSettings* settings, PageState* state);
  std::int16_t (*EndPage)(const JobSettings* settings, PageState* state);
  std::int16_t (*SendRaster)(const JobSettings* settings, PageState* state);
};

inline constexpr int kFunctionTableSlots = 5;
static_assert(sizeof(FunctionTable) == kFunctionTableSlots * sizeof(void (*)()),
              "five back-end operations");

/// The process's table; empty until SetFunctionTable.
extern FunctionTable gFunctionTable;

/// SetFunctionTable: fills the five slots. Returns 0.
int SetFunctionTable();

/// ClearFunctionTable: empties the five slots.
void ClearFunctionTable();

/// StartJob: writes the PJL job header, sets bandLines and the spool counter, starts the
/// gzip stream. Returns 0.
std::int16_t StartJob(const JobSettings* settings, PageState* state);

/// EndJob: feeds the last spool file and ends the gzip stream, then writes the PJL trailer.
/// Returns 0.
std::int16_t EndJob(PageState* state);

/// StartPage: creates the page's spool file and feeds the previous one (or writes "RaS2"),
/// runs the blank test and writes the page header.
///   returns: 0; 1 when the page's spool file cannot be created.
std::int16_t StartPage(const JobSettings* settings, PageState* state);

/// EndPage: nothing to do. Returns 0.
std::int16_t EndPage(const JobSettings* settings, PageState* state);

}  // namespace velmora
