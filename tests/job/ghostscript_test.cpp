// Pages rendered by Ghostscript, fed to the filter as one stream of PPM images (several pages
// back to back, each with Ghostscript's header comment): every page the filter prints, decoded
// by libcups, equals the page that Ghostscript rendered (in grey for a mono job), and the
// document's white page is left out when blank pages are skipped.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/pages.h"
#include "tests/support/printer_job.h"

#ifndef VELMORA_SOURCE_DIR
#error "VELMORA_SOURCE_DIR must name the source folder"
#endif

namespace velmora {
namespace {

const std::string kDocument = std::string(VELMORA_SOURCE_DIR) + "/tests/data/ghostscript_pages.ps";

// True when `program` is an executable in one of the PATH folders.
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

struct Rendering {
  std::string error;   // empty when the pages were rendered
  std::string stream;  // Ghostscript's output as it stands
  int width = 0;
  int height = 0;
  std::vector<std::string> pages;  // the RGB raster of each page
};

// Reads one whitespace-separated header token, skipping comments.
bool HeaderToken(const std::string& data, std::size_t* pos, std::string* token) {
  token->clear();
  while (*pos < data.size()) {
    const unsigned char c = static_cast<unsigned char>(data[*pos]);
    if (c == '#') {
      while (*pos < data.size() && data[*pos] != '\n' && data[*pos] != '\r')
        ++*pos;
    } else if (std::isspace(c) != 0) {
      ++*pos;
    } else {
      break;
    }
  }
  while (*pos < data.size() && std::isspace(static_cast<unsigned char>(data[*pos])) == 0) {
    *token += data[(*pos)++];
  }
  return !token->empty();
}

// Splits a stream of raw PPM images into their rasters; every image must have one size.
bool ParsePpmStream(Rendering* r) {
  std::size_t pos = 0;
  while (pos < r->stream.size()) {
    std::string magic;
    std::string width;
    std::string height;
    std::string maximum;
    if (!HeaderToken(r->stream, &pos, &magic) || magic != "P6" ||
        !HeaderToken(r->stream, &pos, &width) || !HeaderToken(r->stream, &pos, &height) ||
        !HeaderToken(r->stream, &pos, &maximum) || maximum != "255") {
      r->error =
          "bad PPM header in Ghostscript's output at page " + std::to_string(r->pages.size() + 1);
      return false;
    }
    ++pos;  // the one white-space byte before the raster
    const int w = std::stoi(width);
    const int h = std::stoi(height);
    if (r->pages.empty()) {
      r->width = w;
      r->height = h;
    } else if (w != r->width || h != r->height) {
      r->error = "pages of different sizes in Ghostscript's output";
      return false;
    }
    const std::size_t size = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3;
    if (r->stream.size() - pos < size) {
      r->error = "Ghostscript's output ends inside a page";
      return false;
    }
    r->pages.push_back(r->stream.substr(pos, size));
    pos += size;
  }
  return true;
}

// The document rendered once per test program.
const Rendering& Rendered() {
  static const Rendering rendering = [] {
    Rendering r;
    if (!OnPath("gs")) {
      r.error = "Ghostscript (the program gs) is not installed: install the package ghostscript";
      return r;
    }
    const std::string command =
        "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r36 -sOutputFile=- '" + kDocument + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
      r.error = "cannot start: " + command;
      return r;
    }
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      r.stream.append(buffer, got);
    }
    if (::pclose(pipe) != 0) {
      r.error = "Ghostscript failed: " + command;
      return r;
    }
    ParsePpmStream(&r);
    return r;
  }();
  return rendering;
}

struct GhostscriptCase {
  const char* label;
  bool mono;
  bool skipBlank;
};

void PrintTo(const GhostscriptCase& c, std::ostream* os) {
  *os << c.label;
}

class GhostscriptTest : public testing::TestWithParam<GhostscriptCase> {};

TEST_P(GhostscriptTest, PrintedPagesEqualTheRenderedPages) {
  const GhostscriptCase& c = GetParam();
  const Rendering& rendering = Rendered();
  ASSERT_TRUE(rendering.error.empty()) << rendering.error;
  ASSERT_EQ(rendering.pages.size(), 4u) << "the document has four pages";
  const std::string white(rendering.pages[2].size(), '\xFF');
  ASSERT_TRUE(rendering.pages[2] == white) << "page 3 of the document is meant to be white";

  const test::PaperSize paper{"A4", rendering.width, rendering.height, 595, 842};
  test::TestPrinter printer({c.mono ? "KXMonoColor=Mono" : "KXMonoColor=Auto",
                             c.skipBlank ? "KXSkipBlank=ON" : "KXSkipBlank=OFF"},
                            {paper});
  const test::FilterRun run = test::RunJob(printer, rendering.stream);
  test::PrinterJob job;
  ASSERT_TRUE(test::PrintedJob(run, &job));
  EXPECT_EQ(run.result.err, test::kReadyLine);

  std::vector<std::string> expected;
  for (std::size_t i = 0; i < rendering.pages.size(); ++i) {
    if (c.skipBlank && i == 2) continue;
    expected.push_back(c.mono ? test::ReferenceGrayRaster(rendering.pages[i]) : rendering.pages[i]);
  }
  std::vector<test::RasterPage> decoded;
  std::string error;
  ASSERT_TRUE(test::CupsDecodeRasterStream(job.raster, &decoded, &error)) << error;
  ASSERT_EQ(decoded.size(), expected.size());
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    SCOPED_TRACE("printed page " + std::to_string(i + 1));
    EXPECT_EQ(decoded[i].width, static_cast<unsigned>(rendering.width));
    EXPECT_EQ(decoded[i].height, static_cast<unsigned>(rendering.height));
    EXPECT_TRUE(decoded[i].pixels == expected[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Document, GhostscriptTest,
                         testing::Values(GhostscriptCase{"colour", false, false},
                                         GhostscriptCase{"mono, blank pages skipped", true, true}));

}  // namespace
}  // namespace velmora
