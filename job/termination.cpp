// Cancellation.
#include "job/termination.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "job/back_end.h"
#include "job/page_buffer.h"
#include "stream/output.h"

namespace velmora {
namespace {

volatile std::sig_atomic_t gRequested = 0;
bool gArmed = false;
PageState* gState = nullptr;

sigset_t TermSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  return set;
}

void SetDisposition(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait for input is interrupted
  sigaction(SIGTERM, &action, nullptr);
}

bool TermPending() {
  sigset_t pending;
  sigemptyset(&pending);
  return sigpending(&pending) == 0 && sigismember(&pending, SIGTERM) == 1;
}

}  // namespace

void OnTerminate(int) {
  gRequested = 1;
}

void ArmTermination(PageState* state) {
  gState = state;
  const sigset_t term = TermSet();
  sigprocmask(SIG_BLOCK, &term, nullptr);
  SetDisposition(OnTerminate);
  gArmed = true;
}

void DisarmTermination() {
  ServicePendingTermination();
  // Ignoring discards a request that is still pending, so none carries into the next pass.
  SetDisposition(SIG_IGN);
  gArmed = false;
  const sigset_t term = TermSet();
  sigprocmask(SIG_UNBLOCK, &term, nullptr);
}

bool TerminationArmed() {
  return gArmed;
}

bool TerminationRequested() {
  return gRequested != 0;
}

void ServicePendingTermination() {
  if (!gArmed) return;
  if (gRequested != 0 || TermPending()) TerminateJob();
}

int WaitForInput(int fd) {
  sigset_t waitMask;
  sigprocmask(SIG_SETMASK, nullptr, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  for (;;) {
    if (gRequested != 0) {
      errno = EINTR;
      return -1;
    }
    struct pollfd input = {fd, POLLIN, 0};
    const int ready = ppoll(&input, 1, nullptr, &waitMask);
    if (ready > 0) return 0;
    if (ready < 0 && errno != EINTR) return -1;
  }
}

void TerminateJob() {
  std::FILE* out = OutputStream();
  for (int i = 0; i < kCancelPaddingBytes; ++i)
    std::putc(0, out);
  SetDisposition(SIG_IGN);
  gArmed = false;
  if (gFunctionTable.EndJob != nullptr && gState != nullptr) gFunctionTable.EndJob(gState);
  std::fflush(out);
  FreePageBuffer();
  std::exit(0);
}

}  // namespace velmora
