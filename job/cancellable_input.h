// The page input as a stream whose waits for data a termination request can interrupt.
//
// The job reads its pages through stdio; this stream's reads wait for data with SIGTERM
// deliverable (see termination.h), so a cancelled job never waits for more input, and end a
// read at once with an error when a request has arrived.
#pragma once

#include <cstdio>

namespace velmora {

/// OpenCancellableInput: a read stream over the descriptor of `input` (which must not have
/// been read from yet).
///   returns: the new stream, or `input` itself when the stream cannot be made.
std::FILE* OpenCancellableInput(std::FILE* input);

}  // namespace velmora
