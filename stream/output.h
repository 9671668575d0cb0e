// The printer stream: every byte of the job (PJL header, gzip stream, PJL trailer and the
// padding of a cancelled job) goes through one buffered stream, standard output unless a
// test puts another stream in its place.
#pragma once

#include <cstdio>

namespace velmora {

/// OutputStream: the stream the printer job is written to.
std::FILE* OutputStream();

/// SetOutputStream: makes `stream` the printer stream (nullptr restores standard output).
void SetOutputStream(std::FILE* stream);

}  // namespace velmora
