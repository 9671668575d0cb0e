// Cancellation: SIGTERM during a page pass pads the printer stream with 5768 zero bytes,
// ends the job through EndJob and exits with status 0.
//
// The handler, OnTerminate, only records the request. While a pass runs, SIGTERM is blocked
// except while the program waits for input, so the handler can only run there; the request
// is then carried out by TerminateJob from the main flow at the next point where no stdio,
// zlib or spool-file operation is under way: right after the input read returns (which the
// request interrupts at once), after SendRaster, and before FinishPage stops listening. The
// order of the effects and what reaches the printer stream stay those of a handler that
// ends the job itself; nothing that is not async-signal-safe ever runs inside the handler.
//
// Before the first pass SIGTERM has its default action; between passes it is ignored.
#pragma once

#include <csignal>

namespace velmora {

struct PageState;

/// The number of zero bytes that pad the printer stream of a cancelled job.
inline constexpr int kCancelPaddingBytes = 5768;

/// OnTerminate: the SIGTERM handler; records the request.
void OnTerminate(int signal);

/// ArmTermination: blocks SIGTERM and installs OnTerminate for a page pass of the job whose
/// state is `state`.
void ArmTermination(PageState* state);

/// DisarmTermination: carries out a request that arrived during the pass, then ignores
/// SIGTERM until the next pass.
void DisarmTermination();

/// TerminationArmed: true from ArmTermination to DisarmTermination.
bool TerminationArmed();

/// TerminationRequested: true when SIGTERM arrived while armed.
bool TerminationRequested();

/// ServicePendingTermination: when a request is recorded or pending, runs TerminateJob.
void ServicePendingTermination();

/// WaitForInput: waits until `fd` is readable, with SIGTERM deliverable during the wait.
///   returns: 0 when readable; -1 with errno EINTR when a termination request arrived, or
///            with the poll error otherwise.
int WaitForInput(int fd);

/// TerminateJob: the cancellation sequence: 5768 zero bytes one at a time on the printer
/// stream, SIGTERM ignored, EndJob through the function table, flush, FreePageBuffer,
/// exit status 0. Never returns.
[[noreturn]] void TerminateJob();

}  // namespace velmora
