// Error reporter: the one line of standard error that belongs to each error code.
//
// Every message is "Error: " + text + " !!\n", written with one formatted write to the
// unbuffered standard error. The reporter hands the code back unchanged so that a failing
// step can report and return in one statement.
#pragma once

namespace velmora {

/// The error codes of the settings readers, the command line and the job loop. They cross
/// into the process exit status, so their values are fixed.
enum class ErrorCode : int {
  kCannotOpenFile = 1,
  kInvalidOption = 2,
  kExceptionHandling = 3,
  kSectionNotFound = 4,
  kInvalidPrinterName = 5,
  kInvalidPaperInfoFormat = 6,
  kPaperInfoNotFound = 7,
  kModelNotSupported = 8,
  kMemoryAllocationFailed = 9,
  kPrintPhaseError = 10,
  kProhibitedItem = 11,
  kOutOfSettingRange = 12,
  kImagingAreaFormat = 13,
  kPaperDimensionFormat = 14,
};

/// ReportError: prints the message of `code` (with `name` where the code has a named form)
/// and returns `code` unchanged.
///   code - in: the error code; 0 and anything above 12 print nothing.
///   name - in: file or page-size name, or nullptr; ignored by codes 3, 4, 5, 9 and 10.
///   returns: `code`.
unsigned ReportError(unsigned code, const char* name);

/// Report: ReportError for a typed code, returning it as an int status.
inline int Report(ErrorCode code, const char* name = nullptr) {
  return static_cast<int>(ReportError(static_cast<unsigned>(code), name));
}

}  // namespace velmora
