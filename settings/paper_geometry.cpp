// Paper geometry readers. The paper-info file is a stream of white-space separated words;
// ImagingArea and PaperDimension are read line by line and nothing in a line is normalised,
// so a line that begins with a blank belongs to no page size. Numbers are decimal integers
// written as scanf's "%d" reads them: optional sign, then digits up to the first non-digit.
#include "settings/paper_geometry.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "job/error_report.h"
#include "settings/job_settings.h"
#include "settings/printers_dir.h"
#include "src_header/kxfiletool.h"

namespace velmora {
namespace {

// The raster sizes of a page that the filter can hold and print.
constexpr long kMaxRasterSide = INT16_MAX;
constexpr long long kMaxPageBytes = INT32_MAX;

bool IsSpace(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Owns a FILE* for the duration of one reader.
class File {
 public:
  explicit File(const char* path) : file_(std::fopen(path, "r")) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (file_ != nullptr) std::fclose(file_);
  }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

// True when `word` belongs to the page size `name` of `length` characters.
bool BelongsTo(const char* word, const char* name, std::size_t length) {
  return std::strncmp(word, name, length) == 0 && word[length] == ':';
}

void SkipSpace(std::FILE* file) {
  int c;
  while ((c = std::getc(file)) != EOF && IsSpace(c)) {
  }
  if (c != EOF) std::ungetc(c, file);
}

// Reads one word of at most `maxLength` characters into `word` (which holds maxLength + 1).
// Fails at the end of input before a word and for a longer word; the character that ends
// the word is left in the stream.
bool ReadWord(std::FILE* file, char* word, int maxLength) {
  SkipSpace(file);
  int length = 0;
  int c;
  while ((c = std::getc(file)) != EOF && !IsSpace(c)) {
    if (length == maxLength) return false;
    word[length++] = static_cast<char>(c);
  }
  if (c != EOF) std::ungetc(c, file);
  word[length] = '\0';
  return length > 0;
}

// magnitude x 10 + digit, saturating at LONG_MAX: a number too long for any integer is still
// read to its end and stays out of range.
long AppendDigit(long magnitude, int digit) {
  return magnitude > (LONG_MAX - digit) / 10 ? LONG_MAX : magnitude * 10 + digit;
}

// Reads one decimal integer from `file`; values beyond the range of long saturate.
bool ReadInteger(std::FILE* file, long* value) {
  SkipSpace(file);
  int c = std::getc(file);
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::getc(file);
  }
  if (c < '0' || c > '9') {
    if (c != EOF) std::ungetc(c, file);
    return false;
  }
  long magnitude = 0;
  for (; c >= '0' && c <= '9'; c = std::getc(file)) {
    const int digit = c - '0';
    magnitude = AppendDigit(magnitude, digit);
  }
  if (c != EOF) std::ungetc(c, file);
  *value = negative ? -magnitude : magnitude;
  return true;
}

// The same integer syntax on a line in memory; advances `cursor` past the number.
bool ParseInteger(const char** cursor, long* value) {
  const char* p = *cursor;
  while (IsSpace(static_cast<unsigned char>(*p)))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (*p < '0' || *p > '9') return false;
  long magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    const int digit = *p - '0';
    magnitude = AppendDigit(magnitude, digit);
  }
  *value = negative ? -magnitude : magnitude;
  *cursor = p;
  return true;
}

// Parses a geometry line that belongs to the page size: its name word, then `count`
// integers into `values`. False when the name word is too long or a number is missing.
bool ParseGeometryLine(const char* line, int count, long* values) {
  std::size_t nameLength = 0;
  while (line[nameLength] != '\0' && !IsSpace(static_cast<unsigned char>(line[nameLength]))) {
    ++nameLength;
  }
  if (nameLength > static_cast<std::size_t>(kGeometryNameWordMax)) return false;
  const char* cursor = line + nameLength;
  for (int i = 0; i < count; ++i) {
    if (!ParseInteger(&cursor, &values[i])) return false;
  }
  return true;
}

// Reads `file` line by line up to the first line that belongs to the page size.
// Returns that line in `line`, or false at the end of the file.
bool FindGeometryLine(std::FILE* file, const char* name, std::size_t length, char* line) {
  while (std::fgets(line, kGeometryLineSize, file) != nullptr) {
    if (char* newline = std::strchr(line, '\n'); newline != nullptr) *newline = '\0';
    if (BelongsTo(line, name, length)) return true;
  }
  return false;
}

bool IsPrintableRaster(long width, long height) {
  return width >= 0 && width <= kMaxRasterSide && height >= 0 && height <= kMaxRasterSide &&
         3LL * width * height <= kMaxPageBytes;
}

}  // namespace

bool FormatPaperFilePath(char* buffer, std::size_t size, const char* printer, const char* file) {
  const int length = std::snprintf(buffer, size, "%s/%s/inf/%s", kPrintersDir, printer, file);
  return length >= 0 && static_cast<std::size_t>(length) < size;
}

int ReadPaperInfo(const char* path, JobSettings* settings, const RcInfo* pRcInfo) {
  const char* name = GetParamValueName("PageSize", pRcInfo);
  const std::size_t length = std::strlen(name);
  File file(path);
  if (file.get() == nullptr) return Report(ErrorCode::kCannotOpenFile, path);

  char word[kPaperInfoNameWordMax + 1];
  bool first = true;
  while (!std::feof(file.get())) {
    if (first) {
      for (int i = 0; i < 4; ++i) {
        if (!ReadWord(file.get(), word, kPaperInfoHeaderWordMax)) {
          return Report(ErrorCode::kInvalidPaperInfoFormat, name);
        }
      }
      SkipSpace(file.get());
      first = false;
      continue;
    }
    long width = 0;
    long height = 0;
    if (!ReadWord(file.get(), word, kPaperInfoNameWordMax) || !ReadInteger(file.get(), &width) ||
        !ReadInteger(file.get(), &height)) {
      return Report(ErrorCode::kInvalidPaperInfoFormat, name);
    }
    SkipSpace(file.get());
    if (!BelongsTo(word, name, length)) continue;
    if (!IsPrintableRaster(width, height)) {
      return Report(ErrorCode::kInvalidPaperInfoFormat, name);
    }
    settings->pixelWidth = static_cast<std::int16_t>(width);
    settings->pixelHeight = static_cast<std::int16_t>(height);
    return 0;
  }
  return Report(ErrorCode::kPaperInfoNotFound, name);
}

int ReadPaperGeometry(JobSettings* settings, const RcInfo* pRcInfo) {
  const char* name = GetParamValueName("PageSize", pRcInfo);
  const std::size_t length = std::strlen(name);
  char imagingAreaPath[4096];
  char paperDimensionPath[4096];
  const char* printer = pRcInfo->szPrinterName;
  if (!FormatPaperFilePath(imagingAreaPath, sizeof imagingAreaPath, printer, "ImagingArea")) {
    return Report(ErrorCode::kCannotOpenFile, imagingAreaPath);
  }
  if (!FormatPaperFilePath(paperDimensionPath, sizeof paperDimensionPath, printer,
                           "PaperDimension")) {
    return Report(ErrorCode::kCannotOpenFile, paperDimensionPath);
  }

  char line[kGeometryLineSize];
  {
    File imagingArea(imagingAreaPath);
    if (imagingArea.get() == nullptr) return Report(ErrorCode::kCannotOpenFile, imagingAreaPath);
    if (FindGeometryLine(imagingArea.get(), name, length, line)) {
      long area[4];
      if (!ParseGeometryLine(line, 4, area)) {
        return static_cast<int>(ErrorCode::kImagingAreaFormat);
      }
    }
  }

  File paperDimension(paperDimensionPath);
  if (paperDimension.get() == nullptr) {
    return Report(ErrorCode::kCannotOpenFile, paperDimensionPath);
  }
  if (!FindGeometryLine(paperDimension.get(), name, length, line)) {
    // Without its paper size a page header would announce a 0 x 0 point page, so a missing
    // PaperDimension line is refused whatever ImagingArea holds.
    return Report(ErrorCode::kPaperInfoNotFound, name);
  }
  long size[2];
  if (!ParseGeometryLine(line, 2, size)) {
    return Report(ErrorCode::kPaperDimensionFormat, name);
  }
  settings->paperWidth = static_cast<std::int16_t>(size[0]);
  settings->paperHeight = static_cast<std::int16_t>(size[1]);
  return 0;
}

}  // namespace velmora
