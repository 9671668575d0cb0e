// A printer set up for one test: an rc file, a paper-info file and the printer's ImagingArea
// and PaperDimension, in folders of the build tree that no other test uses.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

/// The test build of the filter (it finds printers in PrintersDir()).
std::string FilterProgram();
/// The printers folder of the test build.
std::string PrintersDir();
/// A new, empty folder for this test inside the build tree (removed by ~TestPrinter or
/// ScratchDir's owner).
std::string MakeScratchDir(const std::string& hint);
/// Removes a folder tree.
void RemoveTree(const std::string& path);
/// Writes `content` to `path`.
void WriteFile(const std::string& path, const std::string& content);
/// Reads a whole file ("" when it cannot be read).
std::string ReadFile(const std::string& path);
/// True when `path` exists.
bool PathExists(const std::string& path);

struct PaperSize {
  std::string name = "A4";  // PageSize value name
  int pixelWidth = 8;
  int pixelHeight = 4;
  int paperWidth = 595;
  int paperHeight = 842;
};

class TestPrinter {
 public:
  /// Sets up a printer whose paper files describe `papers` (the first is the one that the
  /// default PageSize "A4" selects unless the rc lines choose another) and whose rc file is
  /// the section header followed by `rcLines`.
  explicit TestPrinter(const std::vector<std::string>& rcLines = {},
                       const std::vector<PaperSize>& papers = {PaperSize{}});
  TestPrinter(const TestPrinter&) = delete;
  TestPrinter& operator=(const TestPrinter&) = delete;
  ~TestPrinter();

  const std::string& name() const { return name_; }
  const std::string& rcPath() const { return rcPath_; }
  const std::string& paperInfoPath() const { return paperInfoPath_; }
  const std::string& dir() const { return dir_; }  // scratch folder for the test's own files
  std::string inf() const;                         // <printers>/<name>/inf

  /// Rewrites the rc file with a header and `rcLines`.
  void SetRc(const std::vector<std::string>& rcLines);
  /// The filter arguments "-rc <rc> -pi <paperinfo>".
  std::vector<std::string> Args() const;

 private:
  std::string name_;
  std::string dir_;
  std::string rcPath_;
  std::string paperInfoPath_;
};

}  // namespace velmora::test
