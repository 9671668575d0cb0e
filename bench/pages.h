// The pages the benchmarks run on: 600-dpi A4 rasters (4958 x 7017 RGB pixels) of real
// content, rendered by Ghostscript from the sample document, and of random noise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::bench {

inline constexpr int kA4Width = 4958;
inline constexpr int kA4Height = 7017;

struct BenchPage {
  std::string name;
  std::vector<std::uint8_t> rgb;  // kA4Height lines of 3 x kA4Width bytes
};

/// The text page (1) and the graphics page (2) of examples/documents/sample.ps at 600 dpi.
/// Without Ghostscript, a synthetic page of text-like strokes and colour bars stands in.
const BenchPage& DocumentPage(int number);

/// A page of uniformly random bytes.
const BenchPage& NoisePage();

/// An all-white page.
const BenchPage& WhitePage();

}  // namespace velmora::bench
