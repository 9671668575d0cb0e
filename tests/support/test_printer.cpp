// Test printers in the build tree.
#include "tests/support/test_printer.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef VELMORA_TEST_FILTER
#error "VELMORA_TEST_FILTER must name the test build of the filter"
#endif
#ifndef VELMORA_TEST_PRINTERS_DIR
#error "VELMORA_TEST_PRINTERS_DIR must name the test printers folder"
#endif
#ifndef VELMORA_TEST_SCRATCH_DIR
#error "VELMORA_TEST_SCRATCH_DIR must name a scratch folder in the build tree"
#endif

namespace velmora::test {
namespace {

std::atomic<int> gCounter{0};

std::string UniqueSuffix() {
  return std::to_string(::getpid()) + "_" + std::to_string(gCounter++);
}

}  // namespace

std::string FilterProgram() {
  return VELMORA_TEST_FILTER;
}
std::string PrintersDir() {
  return VELMORA_TEST_PRINTERS_DIR;
}

std::string MakeScratchDir(const std::string& hint) {
  const std::string path =
      std::string(VELMORA_TEST_SCRATCH_DIR) + "/" + hint + "_" + UniqueSuffix();
  std::filesystem::create_directories(path);
  return path;
}

void RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool PathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

TestPrinter::TestPrinter(const std::vector<std::string>& rcLines,
                         const std::vector<PaperSize>& papers)
    : name_("T" + UniqueSuffix()) {
  dir_ = MakeScratchDir("printer");
  rcPath_ = dir_ + "/printer.rc";
  paperInfoPath_ = dir_ + "/paperinfo";
  std::filesystem::create_directories(inf());
  std::string paperInfo = "paper info width height\n";
  std::string imagingArea = "# imaging area\n";
  std::string paperDimension = "# paper dimension\n";
  for (const PaperSize& paper : papers) {
    paperInfo += paper.name + ": " + std::to_string(paper.pixelWidth) + " " +
                 std::to_string(paper.pixelHeight) + "\n";
    imagingArea += paper.name + ":\t12\t12\t" + std::to_string(paper.paperWidth - 12) + "\t" +
                   std::to_string(paper.paperHeight - 12) + "\n";
    paperDimension += paper.name + ":\t" + std::to_string(paper.paperWidth) + "\t" +
                      std::to_string(paper.paperHeight) + "\n";
  }
  WriteFile(paperInfoPath_, paperInfo);
  WriteFile(inf() + "/ImagingArea", imagingArea);
  WriteFile(inf() + "/PaperDimension", paperDimension);
  SetRc(rcLines);
}

TestPrinter::~TestPrinter() {
  RemoveTree(PrintersDir() + "/" + name_);
  RemoveTree(dir_);
}

std::string TestPrinter::inf() const {
  return PrintersDir() + "/" + name_ + "/inf";
}

void TestPrinter::SetRc(const std::vector<std::string>& rcLines) {
  std::string rc = "[" + name_ + "]\n";
  for (const std::string& line : rcLines)
    rc += line + "\n";
  WriteFile(rcPath_, rc);
}

std::vector<std::string> TestPrinter::Args() const {
  return {"-rc", rcPath_, "-pi", paperInfoPath_};
}

}  // namespace velmora::test
